// A whole class ending its games at once on one record folder: thirty
// processes released together, each comparing and saving its score under
// the record lock. Reports the median and the worst time a game waited for
// its end-of-game save, and the time one save holds the lock alone.
#include "record/RecordFiles.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kGames = 30;

bool beatsByNumber(const QString &score, const RecordText &onDisk)
{
    return score.toInt() > onDisk.score.trimmed().toInt();
}

// One child: waits for the start, saves, reports its time in microseconds.
[[noreturn]] void endOneGame(const QString &folder, int score, int start, int report)
{
    char go = 0;
    (void)!::read(start, &go, 1);
    QElapsedTimer clock;
    clock.start();
    const QString text = QString::number(score);
    const SaveOutcome outcome = saveRecordIfBetter(
        folder, text, QStringLiteral("P%1").arg(score),
        [&](const RecordText &onDisk) { return beatsByNumber(text, onDisk); });
    const qint64 micros = outcome.kind == SaveOutcome::Kind::Failed ? -1 : clock.nsecsElapsed() / 1000;
    (void)!::write(report, &micros, sizeof micros);
    ::_exit(0);
}

void BM_ThirtyGamesEndAtOnce(benchmark::State &state)
{
    std::vector<double> medians;
    std::vector<double> worsts;
    int failures = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        int start[2];
        int report[2];
        if (::pipe(start) != 0 || ::pipe(report) != 0)
            state.SkipWithError("no pipe");
        for (int game = 0; game < kGames; ++game) {
            if (::fork() == 0) {
                ::close(start[1]);
                endOneGame(folder.path(), (game * 7) % kGames + 1, start[0], report[1]);
            }
        }
        ::close(start[0]);
        ::close(report[1]);
        const auto began = std::chrono::steady_clock::now();
        ::close(start[1]); // every child's read returns at once
        std::vector<qint64> waits;
        for (qint64 micros = 0; ::read(report[0], &micros, sizeof micros) == sizeof micros;) {
            if (micros < 0)
                ++failures;
            else
                waits.push_back(micros);
        }
        while (::wait(nullptr) > 0) {
        }
        ::close(report[0]);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        std::sort(waits.begin(), waits.end());
        if (!waits.empty()) {
            medians.push_back(static_cast<double>(waits[waits.size() / 2]) / 1000.0);
            worsts.push_back(static_cast<double>(waits.back()) / 1000.0);
        }
    }
    const auto mean = [](const std::vector<double> &v) {
        double sum = 0;
        for (double x : v)
            sum += x;
        return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
    };
    state.counters["median_wait_ms"] = mean(medians);
    state.counters["worst_wait_ms"] = mean(worsts);
    state.counters["failed_saves"] = failures;
}
BENCHMARK(BM_ThirtyGamesEndAtOnce)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// What one game holds the lock for: compare with the record on disk, then
// write both files, synced.
void BM_CompareAndSaveAlone(benchmark::State &state)
{
    QTemporaryDir folder;
    int score = 0;
    for (auto _ : state) {
        const QString text = QString::number(++score);
        benchmark::DoNotOptimize(saveRecordIfBetter(
            folder.path(), text, QStringLiteral("Anna"),
            [&](const RecordText &onDisk) { return beatsByNumber(text, onDisk); }));
    }
}
BENCHMARK(BM_CompareAndSaveAlone)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
