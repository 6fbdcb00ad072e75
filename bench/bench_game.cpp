// Timings of the game's real code paths on a real (headless) window:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_game
#include "app/Tavola.h"
#include "play/Countdown.h"
#include "record/RecordFiles.h"
#include "ui/Fonts.h"
#include "ui/Label.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

// Answers every dialog at once, as a pupil who types a name and clicks OK.
class InstantDialogs final : public Dialogs
{
public:
    QString inputBox(const QString &, const QString &) override { return QStringLiteral("Bench"); }
    void messageBox(const QString &, const QString &, Icon) override {}
    Answer askYesNo(const QString &, const QString &) override { return Answer::Yes; }
    void closeAll() override {}
};

// Between events the program returns to its event loop, which handles the
// repaints and layout requests the handlers posted. Without a loop they would
// pile up and make every later post slower, so flush them now and then,
// outside the timing.
void flushEventsNowAndThen(benchmark::State &state)
{
    if (state.iterations() % 64 != 0)
        return;
    state.PauseTiming();
    QCoreApplication::sendPostedEvents();
    state.ResumeTiming();
}

struct BenchGame
{
    QTemporaryDir folder;
    std::unique_ptr<Tavola> window;

    BenchGame()
    {
        TavolaSeams seams;
        seams.dialogs = std::make_shared<InstantDialogs>();
        seams.recordFolder = [this] { return folder.path(); };
        seams.endProgram = [] {};
        window = std::make_unique<Tavola>(std::move(seams));
        window->showTavola();
    }
};

void BM_LoadWindow(benchmark::State &state)
{
    BenchGame game;
    for (auto _ : state) {
        game.window->unloadTavola();
        // The old controls go when the event loop next runs.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        game.window->showTavola();
    }
}
BENCHMARK(BM_LoadWindow)->Unit(benchmark::kMillisecond);

void BM_NewExercise(benchmark::State &state)
{
    BenchGame game;
    for (auto _ : state) {
        game.window->cmdNext_Click();
        flushEventsNowAndThen(state);
    }
}
BENCHMARK(BM_NewExercise)->Unit(benchmark::kMicrosecond);

void BM_Judgement(benchmark::State &state)
{
    BenchGame game;
    for (auto _ : state) {
        state.PauseTiming();
        game.window->cmdNext_Click();
        game.window->controls().txtAnswer->setText(QStringLiteral("-12"));
        QCoreApplication::sendPostedEvents();
        state.ResumeTiming();
        std::int16_t enter = 13;
        game.window->txtAnswer_KeyPress(enter);
    }
}
BENCHMARK(BM_Judgement)->Unit(benchmark::kMicrosecond);

void BM_ClockTick(benchmark::State &state)
{
    BenchGame game;
    for (auto _ : state) {
        if (game.window->state().secondsLeft < 2) {
            state.PauseTiming();
            game.window->startCountdown();
            state.ResumeTiming();
        }
        game.window->Timer1_Timer();
        flushEventsNowAndThen(state);
    }
}
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);

void BM_LoadRecord(benchmark::State &state)
{
    BenchGame game;
    const QString dir = game.window->state().winDir;
    saveRecord(dir, QStringLiteral("12"), QStringLiteral("Anna"), game.window->state());
    for (auto _ : state) {
        prepareRecordFiles(dir, game.window->state());
        benchmark::DoNotOptimize(game.window->Leggifiletxt(dir + QLatin1String(kScoreFileName)));
        benchmark::DoNotOptimize(game.window->Leggifiletxt(dir + QLatin1String(kNameFileName)));
    }
}
BENCHMARK(BM_LoadRecord)->Unit(benchmark::kMicrosecond);

void BM_SaveRecord(benchmark::State &state)
{
    BenchGame game;
    const QString dir = game.window->state().winDir;
    int score = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(saveRecord(dir, QString::number(++score), QStringLiteral("Anna"), game.window->state()));
}
BENCHMARK(BM_SaveRecord)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
