#pragma once

// What the game's benchmarks share: the real window with its dialogs
// answered at once, the event loop's work run on demand, and repaints held
// back to be timed apart.
#include "app/Tavola.h"
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

#include <cstdio>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#endif

// Under callgrind (bench/instructions.sh) only the timed steps are counted,
// and their number is told at the end: instructions per step do not move
// with what else the machine runs, as times do.
class CountedStep
{
public:
    CountedStep()
    {
        ++steps().count;
        toggle();
    }
    ~CountedStep() { toggle(); }
    CountedStep(const CountedStep &) = delete;
    CountedStep &operator=(const CountedStep &) = delete;

private:
    static void toggle()
    {
#ifdef CALLGRIND_TOGGLE_COLLECT
        CALLGRIND_TOGGLE_COLLECT;
#endif
    }
    struct Steps
    {
        long count = 0;
        ~Steps()
        {
#ifdef RUNNING_ON_VALGRIND
            if (RUNNING_ON_VALGRIND)
                std::fprintf(stderr, "timed steps: %ld\n", count);
#endif
        }
    };
    static Steps &steps()
    {
        static Steps counted;
        return counted;
    }
};

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

inline RepaintHold *repaintHold = nullptr;

inline void runEvents() { repaintHold->runEvents(); }

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

inline void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    // Until the window is exposed nothing is painted at all.
    for (int i = 0; i < 100 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents();
    runEvents();
    repaintHold->repaint();
}

// The release goes where the window system would send it: to the control
// that has the focus once the press is handled.
inline void pressKey(QWidget *target, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QWidget *focus = QApplication::focusWidget();
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(focus ? focus : target, &release);
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
        window = std::make_unique<Tavola>(std::move(services), settings());
        window->showTavola();
        showActive(*window);
    }

    const Controls &c() const { return window->controls(); }

    ClassroomSettings settings() const
    {
        ClassroomSettings settings;
        settings.recordFolder = QFile::encodeName(folder.path());
        settings.keeperProgram = QStringLiteral(TARVIMONDA_KEEPER);
        return settings;
    }

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

// Runs one timed step a benchmark iteration, as the pupil drives it: what
// prepare does untimed (through untimed()), then act, the events it posted,
// and the repaint timed apart.
template <class Prepare, class Act> void timeSteps(benchmark::State &state, Prepare prepare, Act act)
{
    RepaintTimer repaint(state);
    for (auto _ : state) {
        prepare();
        {
            CountedStep counted;
            act();
            runEvents();
        }
        repaint.repaint();
    }
}
template <class Work> void untimed(benchmark::State &state, Work work)
{
    state.PauseTiming();
    work();
    state.ResumeTiming();
}
inline const auto nothing = [] {};

