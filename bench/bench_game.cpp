// Timings of what a pupil does, on the real window, shown and active
// (headless):
//   QT_QPA_PLATFORM=offscreen build/bench/bench_game
// Each path goes through the control's own event (the button's click(), a
// key press on the box), then the event loop's work on what it posted
// (layout, focus, deferred deletes) until nothing is left. The repaint that
// follows is timed apart, as the counter repaint_us, because it is the
// toolkit drawing the whole window's text rather than the game's code.
// Two floors are timed the same way in the same run, so that figures from
// another machine still compare: the gradient fill alone, and a click on a
// plain push button with an empty handler.
#include "BenchHarness.h"
#include "app/RecordKeeping.h"

#include <QThread>
#include "exercise/Gradient.h"

namespace {

// ---- Floors -------------------------------------------------------------

void BM_Floor_GradientFill(benchmark::State &state)
{
    BenchGame game;
    RepaintTimer repaint(state);
    // The yardstick stays what it was when the window kept its drawing in
    // an image: the 256 bands into an image the size of the client area.
    Surface &surface = *game.c().surface;
    QImage drawing((QSizeF(surface.size()) * surface.devicePixelRatio()).toSize(), QImage::Format_RGB32);
    int shade = 0;
    for (auto _ : state) {
        {
            CountedStep counted;
            paintGradient(drawing, shade);
        }
        state.PauseTiming();
        surface.setDrawing([shade](QPainter &painter, const QSize &size, const QRect &exposed) {
            paintGradient(painter, size, shade, exposed);
        });
        shade = (shade + 1) % 15;
        runEvents();
        state.ResumeTiming();
        repaint.repaint();
    }
}
BENCHMARK(BM_Floor_GradientFill)->Unit(benchmark::kMicrosecond);

void BM_Floor_PushButtonClick(benchmark::State &state)
{
    QWidget window;
    window.resize(200, 100);
    auto *button = new QPushButton(QStringLiteral("Pulsante"), &window);
    button->setGeometry(10, 10, 121, 73);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    showActive(window);
    timeSteps(state, nothing, [button] { button->click(); });
    benchmark::DoNotOptimize(clicks);
}
BENCHMARK(BM_Floor_PushButtonClick)->Unit(benchmark::kMicrosecond);

// ---- The pupil's sequence -------------------------------------------------

void newExerciseAfter(benchmark::State &state, bool right)
{
    BenchGame game;
    timeSteps(
        state,
        [&] {
            untimed(state, [&] {
                game.typeAnswer(right);
                game.pressEnter();
                game.settle();
            });
        },
        [&] { game.c().cmdNext->click(); });
}

void BM_NewExerciseAfterWrong(benchmark::State &state) { newExerciseAfter(state, false); }
BENCHMARK(BM_NewExerciseAfterWrong)->Unit(benchmark::kMicrosecond);

void BM_NewExerciseAfterRight(benchmark::State &state) { newExerciseAfter(state, true); }
BENCHMARK(BM_NewExerciseAfterRight)->Unit(benchmark::kMicrosecond);

void BM_Judgement(benchmark::State &state)
{
    BenchGame game;
    bool right = false;
    timeSteps(
        state,
        [&] {
            untimed(state, [&] {
                game.c().cmdNext->click();
                game.settle();
                game.typeAnswer(right);
                right = !right;
                game.settle();
            });
        },
        [&] { game.pressEnter(); });
}
BENCHMARK(BM_Judgement)->Unit(benchmark::kMicrosecond);

void BM_ClockTick(benchmark::State &state)
{
    BenchGame game;
    timeSteps(
        state,
        [&] {
            if (game.window->state().secondsLeft < 2)
                untimed(state, [&] {
                    game.window->startCountdown();
                    game.settle();
                });
        },
        [&] { game.window->Timer1_Timer(); });
}
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);

void BM_LoadWindow(benchmark::State &state)
{
    BenchGame game;
    // "Nuovo" answered Yes: unload, load with the prompts answered at once,
    // show, first exercise. Between two loads, as between two games, the
    // start's keeper answers (untimed).
    timeSteps(
        state,
        [&] {
            untimed(state, [&] {
                QThread::msleep(20);
                game.settle();
            });
        },
        [&] { game.c().Next->trigger(); });
}
BENCHMARK(BM_LoadWindow)->Unit(benchmark::kMillisecond)->Iterations(40);

// The record keeper started, the record read, its answer in: what the
// start of a game waits for at most, the name prompt aside.
void BM_KeeperStart(benchmark::State &state)
{
    BenchGame game;
    RecordKeeping records(game.settings());
    for (auto _ : state) {
        records.beginStart();
        benchmark::DoNotOptimize(records.finishStart(nullptr));
    }
}
BENCHMARK(BM_KeeperStart)->Unit(benchmark::kMillisecond);

// The end of a game that beat the record: the keeper started, the record
// compared under the lock, both files written and synced, its answer in.
void BM_EndOfGameSaving(benchmark::State &state)
{
    BenchGame game;
    RecordKeeping records(game.settings());
    int score = 0;
    for (auto _ : state) {
        const QString best = QString::number(score++);
        benchmark::DoNotOptimize(records.finishGame({score, 0, QStringLiteral("Anna"), best}, nullptr));
    }
}
BENCHMARK(BM_EndOfGameSaving)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    RepaintHold hold;
    repaintHold = &hold;
    app.installEventFilter(&hold);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
