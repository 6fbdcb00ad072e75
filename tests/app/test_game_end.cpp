// The end of a game through the real window: the record compared and saved
// (or not), what the pupil is told and in what order, the register's line,
// and a record folder that is slow, silent or unusable.
#include "GameFixture.h"
#include "SilentShare.h"

#include <QDir>
#include <QRegularExpression>
#include <QTimer>

#include <sys/file.h>
#include <sys/wait.h>

namespace {
const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
} // namespace

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
        game.find<Label>("lblScore")->setCaption("7");
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
        game.find<Label>("lblScore")->setCaption("8");
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
        game.find<Label>("lblScore")->setCaption("3");
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text,
                 QStringLiteral("Nel frattempo Bea ha stabilito il record con %1 punti.").arg(QString::fromLatin1(meanwhile)));
        QCOMPARE(game.readFile("esprle.txt"), meanwhile + "\r\n");
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray("Bea\r\n"));
        QCOMPARE(game.endCalls, 1);
    }

    void slowOrSilentFolderKeepsTheWindowAnswering_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("told");
        // Another game holds the lock a while, then lets go: the save waits,
        // then goes through.
        QTest::newRow("lock held by another game") << false << kSaved;
        // A share that never answers: given up after the limit, nothing saved.
        QTest::newRow("silent share") << true << QStringLiteral("non ha risposto entro 4 secondi");
    }
    void slowOrSilentFolderKeepsTheWindowAnswering()
    {
        QFETCH(bool, silent);
        QFETCH(QString, told);
        GameFixture game(std::make_shared<MixingRandomSource>(7), [](ClassroomSettings &settings) { settings.recordWaitMs = 2000; });
        game.start();
        game.find<Label>("lblScore")->setCaption("4");
        std::unique_ptr<SilentShare> share;
        pid_t holder = -1;
        if (silent) {
            share = std::make_unique<SilentShare>(game.folder.path());
            if (!share->isMounted())
                QSKIP("mounting a file system needs root and /dev/fuse");
        } else if ((holder = ::fork()) == 0) {
            const int fd = ::open(QFile::encodeName(game.folder.filePath("record.lock")).constData(), O_RDWR | O_CREAT, 0644);
            ::flock(fd, LOCK_EX);
            ::usleep(1'200'000);
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
        QCOMPARE(game.readFile("esprle.txt"), silent ? QByteArray() : QByteArray("4\r\n"));
    }

    void unusableChosenFolderIsSaidAndTheGamePlays()
    {
        QTemporaryDir top;
        const QString notAFolder = top.filePath(QStringLiteral("registro"));
        QFile(notAFolder).open(QIODevice::WriteOnly);
        GameFixture game(std::make_shared<MixingRandomSource>(7), [&](ClassroomSettings &settings) {
            settings.recordFolder = notAFolder;
            settings.recordFolderChosen = true;
            settings.registerEnabled = true;
        });
        // The warning read slowly: the clock starts only after it.
        game.answerer->type("Luca").press("OK").then([](QWidget *warning) {
            QTest::qWait(1100);
            DialogAnswerer::clickButton(warning, "OK");
        });
        game.window->showTavola();
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
        QCOMPARE(game.answerer->seen.size(), 3);
        const auto &warning = game.answerer->seen.last();
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(warning.text.startsWith(QStringLiteral("Il record non può essere tenuto nella cartella ") + notAFolder),
                 qPrintable(warning.text));
        // The game plays on, and nothing was made anywhere else.
        QVERIFY(game.window->isVisible());
        QVERIFY(!game.caption("lblNum1").isEmpty());
        QVERIFY(game.find<QTimer>("Timer1")->isActive());
        QCOMPARE(QDir(game.folder.path()).entryList(QDir::Files), QStringList());
        // The register is told the same cause as the record.
        game.answerer->press("OK").press("OK");
        game.window->cmdExit_Click();
        QVERIFY2(game.answerer->seen.last().text.endsWith(QStringLiteral(": non è una cartella.")),
                 qPrintable(game.answerer->seen.last().text));
    }

    void registerGetsALineForEveryGameThatEnds()
    {
        const auto withRegister = [](ClassroomSettings &settings) { settings.registerEnabled = true; };
        {
            GameFixture closed(std::make_shared<MixingRandomSource>(7), withRegister);
            closed.start();
            closed.window->close();
            QCOMPARE(closed.readFile("registro.csv"), QByteArray("<missing>"));
        }

        GameFixture game(std::make_shared<MixingRandomSource>(7), withRegister);
        game.writeRecord("7\r\n", "Anna\r\n");
        game.start(QStringLiteral("Bea"));
        game.find<Label>("lblScore")->setCaption("8");
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        const QList<QByteArray> lines = game.readFile("registro.csv").split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record\r"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d;\\d\\d:\\d\\d:\\d\\d;Bea;8;%1;%2;sì\r$")
                                        .arg(game.caption("lblScore1"), game.caption("lblScore2")))
                     .match(QString::fromUtf8(lines[1]))
                     .hasMatch(),
                 lines[1].constData());
    }

    void registerThatCannotBeWrittenNeverCostsTheRecord()
    {
        GameFixture game(std::make_shared<MixingRandomSource>(7), [](ClassroomSettings &settings) { settings.registerEnabled = true; });
        QVERIFY(QDir(game.folder.path()).mkdir(QStringLiteral("registro.csv")));
        game.start();
        game.find<Label>("lblScore")->setCaption("3");
        game.answerer->press("OK").press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.readFile("esprle.txt"), QByteArray("3\r\n"));
        QCOMPARE(game.answerer->seen.size(), 4); // name, greeting, confirmation, then the register once
        QCOMPARE(game.answerer->seen[2].text, kSaved);
        QVERIFY(game.answerer->seen[3].text.startsWith(QStringLiteral("Non è stato possibile aggiungere questa partita al registro")));
        QCOMPARE(game.endCalls, 1);
    }

    void bestScoreIsReadByItsLeadingNumber()
    {
        GameFixture tie;
        tie.writeRecord("15abc\r\n", "Anna\r\n");
        tie.start();
        tie.find<Label>("lblScore")->setCaption("15");
        tie.window->cmdExit_Click();
        QCOMPARE(tie.answerer->seen.size(), 2);
        QCOMPARE(tie.readFile("esprle.txt"), QByteArray("15abc\r\n"));

        GameFixture beaten;
        beaten.writeRecord("15abc\r\n", "Anna\r\n");
        beaten.start();
        beaten.find<Label>("lblScore")->setCaption("16");
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
};

QTEST_MAIN(GameEndTest)
#include "test_game_end.moc"
