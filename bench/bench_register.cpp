// Opening a school year's register (300,000 games of 600 pupils, or
// REGISTER_GAMES) in the register window, beside the time to simply read
// the file: the ratio is the figure to compare, the machine being shared
// and noisy. REGISTER_OUT keeps a copy of the register for other runs.
#include "fileformats/RegisterFormat.h"
#include "registerview/RegisterWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

int games()
{
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("REGISTER_GAMES", &ok);
    return ok && asked > 0 ? asked : 300'000;
}
const int kGames = games();

// 600 pupils, each typing a name now and then with other capitals.
const QString &bigRegister()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QRandomGenerator random(7);
        QByteArray bytes = registerHeader();
        const QDateTime start(QDate(2024, 9, 10), QTime(8, 0));
        for (int i = 0; i < kGames; ++i) {
            const int pupil = random.bounded(600);
            QString name = QStringLiteral("Alunno %1").arg(pupil);
            if (random.bounded(20) == 0)
                name = name.toUpper();
            const int right = random.bounded(15), wrong = random.bounded(6);
            bytes += registerLine({start.addSecs(qint64(i) * 300), name, right, wrong, right + wrong,
                                   random.bounded(500) == 0, QStringLiteral("alunno%1").arg(pupil)});
        }
        const QString file = dir.filePath(QStringLiteral("registro.csv"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write the register");
        if (const QString copy = qEnvironmentVariable("REGISTER_OUT"); !copy.isEmpty() && !QFile::copy(file, copy))
            qFatal("cannot copy the register");
        return file;
    }();
    return path;
}

void peakMemory(benchmark::State &state)
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

// The floor: the file's bytes into memory.
void BM_ReadTheFileAlone(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(bigRegister());
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open");
        benchmark::DoNotOptimize(file.readAll());
    }
    state.counters["MB"] = double(QFileInfo(bigRegister()).size()) / 1e6;
}
BENCHMARK(BM_ReadTheFileAlone)->Unit(benchmark::kMillisecond);

// Read and parse, the summary of every pupil, the table filled.
void BM_ReadAndSummarize(benchmark::State &state)
{
    for (auto _ : state) {
        RegisterData data;
        data.apply(readRegister(bigRegister()));
        const ClassSummary summary = summarize(data.games, data.names, {}, QDate::currentDate());
        PupilTableModel model;
        model.setPupils(summary.pupils);
        benchmark::DoNotOptimize(model.rowCount());
    }
    peakMemory(state);
}
BENCHMARK(BM_ReadAndSummarize)->Unit(benchmark::kMillisecond);

// The window as the teacher opens it: made, shown, the file read beside
// it, the table and the chart filled, through the event loop.
void BM_OpenTheWindow(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        RegisterWindow window(bigRegister());
        window.show();
        while (window.summary().games < kGames)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    peakMemory(state);
}
BENCHMARK(BM_OpenTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    bigRegister();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
