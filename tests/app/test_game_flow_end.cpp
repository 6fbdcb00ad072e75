// The end of a game, by the exit button or the close box: the record saved
// and confirmed only when beaten, and a folder that is slow, held or silent
// never freezing the window.
#include "GameFixture.h"
#include "SavedMessage.h"
#include "SilentShare.h"
#include "TestClasses.h"

#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

class GameEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void exitWithATieEndsSilently()
    {
        GameFixture game;
        game.writeRecord("7\r\n", "Anna\r\n");
        game.start();
        QCOMPARE(game.caption("lblpunti"), QStringLiteral("7\r\n"));
        QCOMPARE(game.caption("lblnome"), QStringLiteral("Anna\r\n"));
        game.showScore(7);
        QTest::mouseClick(game.find("cmdExit"), Qt::LeftButton);
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.answerer->seen.size(), 2);
        QCOMPARE(game.readFile("esprle.txt"), QByteArray("7\r\n"));
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Anna\r\n"));
        QVERIFY(!game.window->isVisible());
    }

    void exitWithANewRecordSavesThenConfirms()
    {
        GameFixture game;
        game.writeRecord("7\r\n", "Anna\r\n");
        game.start(QString::fromUtf8("Niccolò"));
        game.showScore(8);
        bool savedBeforeMessage = false;
        game.answerer->then([&](QWidget *dialog) {
            savedBeforeMessage = game.readFile("esprle.txt") == "8\r\n";
            DialogAnswerer::clickButton(dialog, "OK");
        });
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        QVERIFY(savedBeforeMessage);
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Niccol\xF2\r\n")); // Windows-1252, as ever
        QCOMPARE(game.endCalls, 1);
    }

    void recordSetMeanwhileIsToldNotOverwritten_data()
    {
        QTest::addColumn<QByteArray>("meanwhile");
        QTest::newRow("better") << QByteArray("5");
        QTest::newRow("as good: a tie is no new record") << QByteArray("3");
    }
    void recordSetMeanwhileIsToldNotOverwritten()
    {
        // Another game on the same folder ended while this one was played.
        QFETCH(QByteArray, meanwhile);
        GameFixture game;
        game.start(QStringLiteral("Aldo"));
        game.writeRecord(meanwhile + "\r\n", "Bea\r\n");
        game.showScore(3);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text,
                 QStringLiteral("Nel frattempo Bea ha stabilito il record con %1 punti.").arg(QString::fromLatin1(meanwhile)));
        QCOMPARE(game.readFile("esprle.txt"), meanwhile + "\r\n");
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Bea\r\n"));
        QCOMPARE(game.endCalls, 1);
    }

    void bestScoreIsReadByItsLeadingNumber()
    {
        GameFixture tie;
        tie.writeRecord("15abc\r\n", "Anna\r\n");
        tie.start();
        tie.showScore(15);
        tie.window->cmdExit_Click();
        QCOMPARE(tie.answerer->seen.size(), 2);
        QCOMPARE(tie.readFile("esprle.txt"), QByteArray("15abc\r\n"));

        GameFixture beaten;
        beaten.writeRecord("15abc\r\n", "Anna\r\n");
        beaten.start();
        beaten.showScore(16);
        beaten.answerer->press("OK");
        beaten.window->cmdExit_Click();
        QCOMPARE(beaten.readFile("esprle.txt"), QByteArray("16\r\n"));
    }

    void firstRunWithNoRightAnswerEndsSilently()
    {
        GameFixture game;
        game.start();
        game.window->cmdExit_Click();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
    }

    void closeBoxEndsWithoutSaving()
    {
        GameFixture game;
        game.start();
        game.showScore(9);
        game.window->close();
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
        QCOMPARE(game.answerer->seen.size(), 2);
        QVERIFY(!game.find<QTimer>("Timer1")->isActive());
    }

    void slowOrSilentFolderKeepsTheWindowAnswering_data()
    {
        QTest::addColumn<int>("holdMs"); // another game holds the lock; 0: the share is silent
        QTest::addColumn<QString>("told");
        // Another game holds the lock a while, then lets go: the save waits,
        // then goes through.
        QTest::newRow("lock held a while") << 1200 << kSaved;
        // Held past the wait: told as busy, never as silent.
        QTest::newRow("lock held past the wait") << 3500 << QStringLiteral("occupato");
        // A share that never answers: given up after the limit, nothing saved.
        QTest::newRow("silent share") << 0 << QStringLiteral("non ha risposto in tempo");
    }
    void slowOrSilentFolderKeepsTheWindowAnswering()
    {
        QFETCH(int, holdMs);
        QFETCH(QString, told);
        const bool silent = holdMs == 0;
        GameFixture game(std::make_shared<MixingRandomSource>(7), [](ClassroomSettings &settings) { settings.recordWaitMs = 2000; });
        game.start();
        game.showScore(4);
        std::unique_ptr<SilentShare> share;
        pid_t holder = -1;
        if (silent) {
            share = std::make_unique<SilentShare>(game.folder.path());
            if (!share->isMounted())
                QSKIP("mounting a file system needs root and /dev/fuse");
        } else if ((holder = ::fork()) == 0) {
            const int fd = ::open(QFile::encodeName(game.folder.filePath("record.lock")).constData(), O_RDWR | O_CREAT, 0644);
            ::flock(fd, LOCK_EX);
            ::usleep(useconds_t(holdMs) * 1000);
            ::_exit(0);
        }
        QTest::qWait(100); // the holder has the lock
        int ticks = 0;
        QString notice;
        QTimer beside;
        connect(&beside, &QTimer::timeout, [&] {
            ++ticks;
            if (auto *shown = QApplication::activeWindow(); shown && shown->objectName() == u"WaitNotice" && ticks <= 100)
                notice = shown->accessibleName();
        });
        beside.start(10);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        if (holder > 0)
            ::waitpid(holder, nullptr, 0);
        QVERIFY2(ticks > 50, "the window stopped answering while it waited");
        QCOMPARE(notice, QString::fromUtf8("Sto salvando il record…")); // within a second
        QVERIFY2(game.answerer->seen.last().text.contains(told), qPrintable(game.answerer->seen.last().text));
        QCOMPARE(game.endCalls, 1);
        share.reset();
        QCOMPARE(game.readFile("esprle.txt"), holdMs == 1200 ? QByteArray("4\r\n") : QByteArray());
    }
};

TestClass gameEndTest() { return testClass<GameEndTest>(); }

#include "test_game_flow_end.moc"
