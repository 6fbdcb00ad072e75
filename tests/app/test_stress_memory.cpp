// A whole game to its end, then many new games in a row, which must not
// pile anything up: scripts/memory-check.sh reads the memory they report.
#include "SavedMessage.h"
#include "StressGame.h"
#include "TestClasses.h"

#include <QTimer>

#include <algorithm>

class MemoryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    // A whole game as a pupil plays it, to its end by the clock.
    void normalGameToTheEnd()
    {
        GameFixture game(deterministicSource(5));
        game.writeRecord("3\r\n", "Anna\r\n");
        game.start(QStringLiteral("Luca"));
        game.find<QTimer>("Timer1")->setInterval(kNoRealTick);
        for (int exercise = 0; exercise < 100; ++exercise) {
            const int answer = expectedFor(game) + exercise % 3;
            QTest::keyClicks(game.find("txtAnswer1"), QStringLiteral("0"));
            QTest::keyClicks(game.find("txtAnswer"), QString::number(answer));
            QTest::keyClick(game.find("txtAnswer"), Qt::Key_Return);
            QTest::mouseClick(game.find("cmdNext"), Qt::LeftButton);
            for (int t = 0; t < 9; ++t)
                game.window->Timer1_Timer();
        }
        QCOMPARE(game.caption("lblScore"), QStringLiteral("34"));
        QCOMPARE(game.caption("lblScore2"), QStringLiteral("100"));
        game.answerer->press(QStringLiteral("OK"));
        for (int t = 0; t < 100 && game.endCalls == 0; ++t)
            game.window->Timer1_Timer();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        QCOMPARE(game.readFile(QStringLiteral("esprle.txt")), QByteArray("34\r\n"));
        QCOMPARE(game.readFile(QStringLiteral("nesprle.txt")), QByteArray("Luca\r\n"));
        QCOMPARE(game.answerer->unexpected(), 0);
        qInfo("peak resident memory after a normal game: %lld kB", statusKb("VmHWM:"));
    }

    // "Nuovo", Yes, over and over: each reload must leave nothing behind.
    // TARVIMONDA_NEW_GAMES sets how many (scripts/memory-check.sh asks 200).
    void newGamesInARow()
    {
        const int games = qEnvironmentVariableIsSet("TARVIMONDA_NEW_GAMES")
                              ? qEnvironmentVariableIntValue("TARVIMONDA_NEW_GAMES")
                              : 25;
        QVERIFY(games >= 2);
        const int baseline = std::min(20, games / 2);
        GameFixture game(deterministicSource(9));
        game.start();
        qsizetype widgets = 0, children = 0, topLevels = 0;
        for (int i = 1; i <= games; ++i) {
            // Play a little, so each game has something to throw away.
            QTest::keyClicks(game.find("txtAnswer"), QStringLiteral("12"));
            QTest::keyClick(game.find("txtAnswer"), Qt::Key_Return);
            game.window->Timer1_Timer();
            game.answerer->press(kYes).type(QStringLiteral("Luca")).press(QStringLiteral("OK"));
            game.find<QAction>("Next")->trigger();
            flushDeferredDeletes();
            QVERIFY(game.window->isVisible());
            QCOMPARE(game.caption("lblScore2"), QStringLiteral("0"));
            QCOMPARE(game.answerer->unexpected(), 0);
            QVERIFY(game.answerer->done());
            if (i == baseline) {
                widgets = QApplication::allWidgets().size();
                children = game.window->findChildren<QObject *>().size();
                topLevels = QApplication::topLevelWidgets().size();
                qInfo("resident memory after %d new games: %lld kB", i, statusKb("VmRSS:"));
            }
        }
        qInfo("resident memory after %d new games: %lld kB", games, statusKb("VmRSS:"));
        QCOMPARE(QApplication::allWidgets().size(), widgets);
        QCOMPARE(game.window->findChildren<QObject *>().size(), children);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
    }
};

TestClass memoryTest() { return testClass<MemoryTest>(); }

#include "test_stress_memory.moc"
