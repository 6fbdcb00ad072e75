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
#include "app/Tavola.h"
#include "exercise/Gradient.h"
#include "SaveRecord.h"
#include "record/RecordFiles.h"
#include "ui/Fonts.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QWindow>

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

// Holds back the repaints the event loop would do, so that they can be timed
// on their own.
class RepaintHold final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_holding && event->type() == QEvent::UpdateRequest) {
            m_pending.insert(watched);
            return true;
        }
        return false;
    }

    // What the event loop does once a handler returns, the repaint aside.
    void runEvents()
    {
        m_holding = true;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_holding = false;
    }

    // The repaint held back by runEvents(), and the first paint of a window
    // just shown, which waits for the window system's expose.
    void repaint()
    {
        QCoreApplication::processEvents();
        const QSet<QObject *> pending = std::exchange(m_pending, {});
        for (QObject *target : pending) {
            QEvent update(QEvent::UpdateRequest);
            QCoreApplication::sendEvent(target, &update);
        }
    }

private:
    bool m_holding = false;
    QSet<QObject *> m_pending;
};

RepaintHold *repaintHold = nullptr;

void runEvents() { repaintHold->runEvents(); }

// Repaints outside the timing and reports the mean repaint per iteration.
class RepaintTimer
{
public:
    explicit RepaintTimer(benchmark::State &state)
        : m_state(state)
    {
    }
    ~RepaintTimer()
    {
        if (m_state.iterations() > 0)
            m_state.counters["repaint_us"] = double(m_nanoseconds) / 1000.0 / double(m_state.iterations());
    }
    void repaint()
    {
        m_state.PauseTiming();
        QElapsedTimer clock;
        clock.start();
        repaintHold->repaint();
        m_nanoseconds += clock.nsecsElapsed();
        m_state.ResumeTiming();
    }

private:
    benchmark::State &m_state;
    qint64 m_nanoseconds = 0;
};

void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    // Until the window is exposed nothing is painted at all.
    for (int i = 0; i < 100 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents();
    runEvents();
    repaintHold->repaint();
}

void pressKey(QWidget *target, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

struct BenchGame
{
    QTemporaryDir folder;
    std::unique_ptr<Tavola> window;

    BenchGame()
    {
        TavolaServices services;
        services.dialogs = std::make_shared<InstantDialogs>();
        services.endProgram = [] {};
        ClassroomSettings settings;
        settings.recordFolder = folder.path();
        window = std::make_unique<Tavola>(std::move(services), std::move(settings));
        window->showTavola();
        showActive(*window);
    }

    const Controls &c() const { return window->controls(); }

    // The value of the row on show, worked out as the pupil would.
    QString rightAnswer() const
    {
        const GameState &s = window->state();
        return QString::number(s.sumA * c().lblvala->caption().toInt() + s.sumB * c().lblvalb->caption().toInt());
    }

    // The pupil's first key moves the focus on to the answer box; the answer
    // is typed there.
    void typeAnswer(bool right)
    {
        pressKey(c().txtAnswer1, Qt::Key_1, QStringLiteral("1"));
        c().txtAnswer->setText(right ? rightAnswer() : QStringLiteral("999"));
    }

    void pressEnter() { pressKey(c().txtAnswer, Qt::Key_Return, QStringLiteral("\r")); }

    // Outside the timing: the events and repaints of what came before.
    void settle()
    {
        runEvents();
        repaintHold->repaint();
    }
};

// ---- Floors -------------------------------------------------------------

void BM_Floor_GradientFill(benchmark::State &state)
{
    BenchGame game;
    RepaintTimer repaint(state);
    int shade = 0;
    for (auto _ : state) {
        // The 256 bands into the window's drawing, nothing else.
        paintGradient(game.c().surface->drawingToCover(), shade);
        shade = (shade + 1) % 15;
        state.PauseTiming();
        game.c().surface->update();
        runEvents();
        state.ResumeTiming();
        repaint.repaint();
    }
}
BENCHMARK(BM_Floor_GradientFill)->Unit(benchmark::kMicrosecond);

// Runs one timed step a benchmark iteration, as the pupil drives it: what
// prepare does untimed (through untimed()), then act, the events it posted,
// and the repaint timed apart.
template <class Prepare, class Act> void timeSteps(benchmark::State &state, Prepare prepare, Act act)
{
    RepaintTimer repaint(state);
    for (auto _ : state) {
        prepare();
        act();
        runEvents();
        repaint.repaint();
    }
}
template <class Work> void untimed(benchmark::State &state, Work work)
{
    state.PauseTiming();
    work();
    state.ResumeTiming();
}
const auto nothing = [] {};

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
    // show, first exercise.
    timeSteps(state, nothing, [&] { game.c().Next->trigger(); });
}
BENCHMARK(BM_LoadWindow)->Unit(benchmark::kMillisecond);

void BM_LoadRecord(benchmark::State &state)
{
    BenchGame game;
    const QString dir = game.window->state().winDir;
    saveRecord(dir, QStringLiteral("12"), QStringLiteral("Anna"));
    for (auto _ : state) {
        prepareRecordFiles(dir);
        benchmark::DoNotOptimize(loadRecord(dir));
    }
}
BENCHMARK(BM_LoadRecord)->Unit(benchmark::kMicrosecond);

void BM_SaveRecord(benchmark::State &state)
{
    BenchGame game;
    const QString dir = game.window->state().winDir;
    int score = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(saveRecord(dir, QString::number(++score), QStringLiteral("Anna")));
}
BENCHMARK(BM_SaveRecord)->Unit(benchmark::kMillisecond);

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
