// Thousands of random keys, clicks, menu commands and clock ticks sent to
// the real window, headless, with the game's invariants checked after each
// one (RandomRun.h). Every run is reproducible from its seed.
#include "RandomRun.h"
#include "TestClasses.h"

#include <algorithm>

class RandomInputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void randomInputKeepsTheGameWhole_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("steps");
        QTest::newRow("seed 1") << quint64(1) << 2000;
        QTest::newRow("seed 20240607") << quint64(20240607) << 1000;
    }
    void randomInputKeepsTheGameWhole()
    {
        QFETCH(quint64, seed);
        QFETCH(int, steps);
        Run run(seed);
        run.newGame();
        int rightBefore = 0, wrongBefore = 0;
        for (run.step = 1; run.step <= steps; ++run.step) {
            const int unexpectedBefore = run.game->answerer->unexpected();
            const int seenBefore = int(run.game->answerer->seen.size());
            rightBefore = run.game->window->state().rightAnswers;
            wrongBefore = run.game->window->state().wrongAnswers;
            run.act();
            run.check(unexpectedBefore, seenBefore);
            if (QTest::currentTestFailed())
                return;
            if (run.ended()) {
                run.newGame();
                continue;
            }
            run.right += std::max(0, run.game->window->state().rightAnswers - rightBefore);
            run.wrong += std::max(0, run.game->window->state().wrongAnswers - wrongBefore);
        }
        qInfo("%d steps: %d games, %d endings (%d saving a record), %d reloads, %d right and %d wrong answers, "
              "%d dialogs, %d animated clicks",
              steps, run.games, run.endings, run.savedEndings, run.reloads, run.right, run.wrong, run.dialogs,
              run.animatedClicks);
        // The run reached every part of the game it is meant to stress.
        QVERIFY(run.right > 0 && run.wrong > 0);
        QVERIFY(run.reloads > 0 && run.endings > 0 && run.savedEndings > 0);
    }
};

TestClass randomInputTest() { return testClass<RandomInputTest>(); }

#include "test_stress_random_input.moc"
