// Where the record and the register are kept: a chosen folder that cannot
// be used, one an administrator must not fill, one named in Latin-1, and
// the register's line at each game's end.
#include "GameFixture.h"
#include "SavedMessage.h"
#include "TestClasses.h"

#include <QDir>
#include <QRegularExpression>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class RecordFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void unusableChosenFolderIsSaidAndTheGamePlays()
    {
        QTemporaryDir top;
        const QString notAFolder = top.filePath(QStringLiteral("registro"));
        QFile(notAFolder).open(QIODevice::WriteOnly);
        GameFixture game(std::make_shared<MixingRandomSource>(7), [&](ClassroomSettings &settings) {
            settings.recordFolder = QFile::encodeName(notAFolder);
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
        // The pupil is sent for the teacher; the path is the check's to name.
        QVERIFY2(warning.text.contains(QStringLiteral("non sarà salvato")) && !warning.text.contains(notAFolder),
                 qPrintable(warning.text));
        // The game plays on, and nothing was made anywhere else.
        QVERIFY(game.window->isVisible());
        QVERIFY(!game.caption("lblNum1").isEmpty());
        QVERIFY(game.find<QTimer>("Timer1")->isActive());
        QCOMPARE(QDir(game.folder.path()).entryList(QDir::Files), QStringList());
        // The register is told the same cause as the record.
        game.answerer->press("OK").press("OK");
        game.window->cmdExit_Click();
        const auto &told = game.answerer->seen;
        const QString cause = QStringLiteral("la cartella del record non si può usare");
        QVERIFY2(told.size() >= 2 && told.last().text.contains(QStringLiteral("registro"))
                     && told.last().text.contains(cause) && told[told.size() - 2].text.contains(cause),
                 qPrintable(told.last().text));
    }

    // Run as root on a chosen class folder (an empty mount point, say): files
    // root made there would shut the pupils out, so none is made, and why is
    // said at the start and at the end; the game plays on. Root's own
    // per-user folder keeps its record as anyone's does.
    void anAdministratorKeepsNoRecordInAChosenFolder_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::newRow("a chosen folder") << true;
        QTest::newRow("its own folder") << false;
    }
    void anAdministratorKeepsNoRecordInAChosenFolder()
    {
        QFETCH(bool, chosen);
        GameFixture game(std::make_shared<MixingRandomSource>(7), [chosen](ClassroomSettings &settings) {
            settings.recordFolderChosen = chosen;
            settings.asAdministrator = true;
        });
        if (!chosen) {
            game.start();
            game.showScore(8);
            game.answerer->press("OK");
            game.window->cmdExit_Click();
            QCOMPARE(game.readFile(QStringLiteral("esprle.txt")), QByteArray("8\r\n"));
            return;
        }
        game.answerer->type("Luca").press("OK").press("OK");
        game.window->showTavola();
        const QString why = QStringLiteral("amministratore");
        QVERIFY2(game.answerer->seen.last().text.contains(why), qPrintable(game.answerer->seen.last().text));
        QVERIFY(game.find<QTimer>("Timer1")->isActive());
        game.showScore(8);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QVERIFY2(game.answerer->seen.last().text.contains(why), qPrintable(game.answerer->seen.last().text));
        QCOMPARE(game.endCalls, 1);
        QCOMPARE(QDir(game.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // A folder named in Latin-1 is the folder the game uses, byte for byte:
    // its record is shown and beaten there, and no other folder is made.
    void aFolderNamedInLatin1KeepsItsRecord()
    {
        QTemporaryDir top;
        const QByteArray folder = QFile::encodeName(top.path()) + "/cl\xe9sse";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        // Text cannot name it: the system's calls, with its bytes.
        const auto bytesAt = [&](const char *file) {
            char buffer[64] = {};
            const int fd = ::open((folder + file).constData(), O_RDONLY);
            const ssize_t got = fd < 0 ? -1 : ::read(fd, buffer, sizeof buffer);
            ::close(fd);
            return QByteArray(buffer, int(qMax<ssize_t>(got, 0)));
        };
        for (const auto &[file, bytes] : {std::pair{"/esprle.txt", "7\r\n"}, {"/nesprle.txt", "Anna\r\n"}}) {
            const int fd = ::open((folder + file).constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0 && ::write(fd, bytes, qstrlen(bytes)) > 0);
            ::close(fd);
        }
        GameFixture game(std::make_shared<MixingRandomSource>(7), [&](ClassroomSettings &settings) {
            settings.recordFolder = folder;
            settings.recordFolderChosen = true;
        });
        game.start();
        QCOMPARE(game.caption("lblpunti"), QStringLiteral("7\r\n"));
        game.showScore(8);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        QCOMPARE(bytesAt("/esprle.txt"), QByteArray("8\r\n"));
        QCOMPARE(bytesAt("/nesprle.txt"), QByteArray("Luca\r\n"));
        // No folder made under another name (text would have said "cl�sse").
        DIR *dir = ::opendir(QFile::encodeName(top.path()).constData());
        QStringList made;
        while (const dirent *entry = dir ? ::readdir(dir) : nullptr)
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                made << QString::fromLatin1(entry->d_name);
        ::closedir(dir);
        QCOMPARE(made, QStringList{QStringLiteral("cl\u00e9sse")});
        for (const char *file : {"/esprle.txt", "/nesprle.txt"})
            ::unlink((folder + file).constData());
        ::rmdir(folder.constData());
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
        game.showScore(8);
        game.answerer->press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.answerer->seen.last().text, kSaved);
        const QList<QByteArray> lines = game.readFile("registro.csv").split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray("Data;Ora;Nome;Esatte;Errate;Totali;Record;Account\r"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d;\\d\\d:\\d\\d:\\d\\d;Bea;8;%1;%2;sì;[^;]+\r$")
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
        game.showScore(3);
        game.answerer->press("OK").press("OK");
        game.window->cmdExit_Click();
        QCOMPARE(game.readFile("esprle.txt"), QByteArray("3\r\n"));
        QCOMPARE(game.answerer->seen.size(), 4); // name, greeting, confirmation, then the register once
        QCOMPARE(game.answerer->seen[2].text, kSaved);
        QVERIFY(game.answerer->seen[3].text.startsWith(QStringLiteral("Non è stato possibile aggiungere questa partita al registro")));
        QCOMPARE(game.endCalls, 1);
    }
};

TestClass recordFolderTest() { return testClass<RecordFolderTest>(); }

#include "test_game_flow_folders.moc"
