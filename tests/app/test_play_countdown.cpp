// The countdown that ends the game, and the record at that end: saved once,
// its failure told, an unreadable one no bar to starting.
#include "GameFixture.h"
#include "TestClasses.h"

#include <QTimer>

class CountdownTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void clockCountsDownToZeroThenEnds()
    {
        GameFixture game;
        game.start();
        auto tick = [&game](int n) {
            for (int i = 0; i < n; ++i)
                game.window->Timer1_Timer();
        };
        tick(1);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:59"));
        tick(59);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:00"));
        tick(1);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:13:59"));
        tick(830);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:00:09"));
        tick(9);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:00:00"));
        QCOMPARE(game.window->state().secondsLeft, 0);
        QCOMPARE(game.endCalls, 0);
        tick(1);
        QCOMPARE(game.endCalls, 1);
    }

    void beatenRecordIsSavedOnceWhileTicksKeepComing()
    {
        GameFixture game;
        game.writeRecord("2\r\n", "Anna\r\n");
        game.start(QStringLiteral("Bea"));
        game.showScore(5);
        for (int i = 0; i < 900; ++i)
            game.window->Timer1_Timer();
        game.find<QTimer>("Timer1")->setInterval(1);
        game.answerer->then([&](QWidget *dialog) {
            // Ticks would arrive here if the countdown still ran.
            QTest::qWait(40);
            DialogAnswerer::clickButton(dialog, "OK");
        });
        game.window->Timer1_Timer();
        QTest::qWait(20);
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().text, QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E"));
        QCOMPARE(game.answerer->unexpected(), 0);
        QCOMPARE(game.readFile("esprle.txt"), QByteArray("5\r\n"));
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Bea\r\n"));
    }

    void countdownEndingUnderTheNewGameQuestionEndsTheProgram()
    {
        GameFixture game;
        game.start();
        for (int i = 0; i < 899; ++i)
            game.window->Timer1_Timer();
        game.find<QTimer>("Timer1")->setInterval(1);
        // The question stays open until the game ends under it.
        game.answerer->then([](QWidget *) {});
        game.find<QAction>("Next")->trigger();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().title, QStringLiteral("INIZIARE NUOVA GARA"));
        QVERIFY(!game.window->isVisible());
        QTest::qWait(20);
        QCOMPARE(game.answerer->seen.size(), 3); // no name prompt came after
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
    }

    void savingThatFailsSaysSoInsteadOfConfirming()
    {
        GameFixture game;
        game.start();
        // The score file turns into a folder behind the game's back.
        QFile::remove(game.folder.filePath("esprle.txt"));
        QVERIFY(QDir(game.folder.path()).mkdir("esprle.txt"));
        game.showScore(3);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        const auto &message = game.answerer->seen.last();
        QVERIFY2(message.text.startsWith(QString::fromUtf8("Non è stato possibile salvare il record")),
                 qPrintable(message.text));
        QCOMPARE(message.icon, QMessageBox::Warning);
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray());
    }

    void unreadableRecordFilesStillLetTheGameStart()
    {
        GameFixture game;
        QVERIFY(QDir(game.folder.path()).mkdir("nesprle.txt"));
        game.writeFile("esprle.txt", QByteArray(100000, '\x01'));
        game.start();
        QVERIFY(game.window->isVisible());
        QCOMPARE(game.caption("lblnome"), QString());
        QVERIFY(game.caption("lblpunti").size() <= 4096);
    }
};

TestClass countdownTest() { return testClass<CountdownTest>(); }

#include "test_play_countdown.moc"
