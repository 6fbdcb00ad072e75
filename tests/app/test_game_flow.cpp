// Start-up, new game, minimise, information, exit and close box, driven
// through the real window with its dialogs answered from the test.
#include "GameFixture.h"
#include "SilentShare.h"

#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QCloseEvent>
#include <QDir>
#include <QRegularExpression>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include <dirent.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {
const QString kGreeting = QStringLiteral(" vediamo se sei un vero campione  ");
const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
} // namespace

class GameFlowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void startUpAsksTheNameThenGreetsBeforeShowing()
    {
        GameFixture game;
        game.start(QStringLiteral("Luca"));
        const auto &seen = game.answerer->seen;
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].kind, QStringLiteral("input"));
        QCOMPARE(seen[0].title, QStringLiteral("Tarvimonda"));
        QCOMPARE(seen[0].text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(seen[0].initialInput, QString());
        QVERIFY(seen[0].buttons.contains("OK") && seen[0].buttons.contains("Annulla"));
        QCOMPARE(seen[1].text, QStringLiteral(" Luca") + kGreeting);
        QCOMPARE(seen[1].title, QStringLiteral("Tarvimonda"));
        QCOMPARE(seen[1].buttons, QStringList{"OK"});
        QVERIFY(!seen[0].windowVisible && !seen[1].windowVisible);

        QVERIFY(game.window->isVisible());
        QCOMPARE(game.window->windowTitle(), QStringLiteral("Calcola il valore della seguente tarvimonda"));
        QCOMPARE(game.caption("lblnome1"), QStringLiteral("Luca"));
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
        QCOMPARE(game.window->state().secondsLeft, 900);
        QVERIFY(game.find<QTimer>("Timer1")->isActive());
        // First run: both record files made empty and shown empty.
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray());
        QCOMPARE(game.caption("lblpunti"), QString());
        QCOMPARE(game.window->state().winDir, game.folder.path() + '/');
        // The first exercise stands, the focus waits in the zero-width box.
        QVERIFY(!game.caption("lblvala").isEmpty() && game.caption("lblvala") != "b");
        QVERIFY(!game.find("cmdNext")->isEnabled());
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        QCOMPARE(game.answerer->unexpected(), 0);
    }

    // The name prompt comes first: the window is built, its icon set and the
    // record keeper started once the prompt is on screen, while it waits.
    void theNamePromptComesFirst()
    {
        GameFixture game;
        struct : QObject
        {
            std::function<bool()> built;
            bool builtFirst = false;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                builtFirst |= event->type() == QEvent::Show && watched->objectName() == u"inputBox" && built();
                return false;
            }
        } atShow;
        atShow.built = [&] { return game.find("lblScore") != nullptr; };
        qApp->installEventFilter(&atShow);
        bool beside = false;
        game.answerer->then([&](QWidget *prompt) {
            beside = QTest::qWaitFor([&] { return atShow.built() && game.window->recordReadyToShow(); })
                     && prompt->windowIcon().availableSizes().contains(QSize(256, 256));
            qobject_cast<QInputDialog *>(prompt)->accept();
        }).press("OK");
        game.window->showTavola();
        QVERIFY(!atShow.builtFirst && beside);
    }

    void cancelledNameGivesTheBareGreeting()
    {
        GameFixture game;
        game.answerer->cancel().press("OK");
        game.window->showTavola();
        QCOMPARE(game.answerer->seen[1].text, QStringLiteral(" ") + kGreeting);
        QVERIFY(game.answerer->seen[1].text.startsWith("  vediamo"));
        QCOMPARE(game.caption("lblnome1"), QString());
    }

    void namesAreNeverMarkup()
    {
        GameFixture game;
        const QString markup = QStringLiteral("<b>Zoe</b>");
        game.start(markup);
        QVERIFY(game.answerer->seen[1].plainText);
        QVERIFY(game.answerer->seen[0].plainText);
        QCOMPARE(game.caption("lblnome1"), markup);
    }

    void newGameAnsweredNoChangesNothing()
    {
        GameFixture game;
        game.start();
        game.state().rightAnswers = 3;
        game.showScore(3);
        game.window->Timer1_Timer();
        QWidget *before = game.find("lblScore");
        game.answerer->press("No");
        game.find<QAction>("Next")->trigger();
        const auto &question = game.answerer->seen.last();
        QCOMPARE(question.text, QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"));
        QCOMPARE(question.title, QStringLiteral("INIZIARE NUOVA GARA"));
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, (QStringList{QString::fromUtf8("Sì"), "No"}));
        QCOMPARE(question.defaultButton, QStringLiteral("No"));
        QCOMPARE(game.find("lblScore"), before);
        QCOMPARE(game.caption("lblScore"), QStringLiteral("3"));
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:14:59"));
        QVERIFY(game.window->isVisible());
        QCOMPARE(game.answerer->seen.size(), 3);
    }

    void newGameAnsweredYesReloadsTheWindow()
    {
        GameFixture game;
        game.start();
        for (int i = 0; i < 50; ++i)
            game.window->Timer1_Timer();
        game.showScore(4);
        game.state().rightAnswers = 4;
        const auto modeBefore = game.window->state().exerciseMode;
        QPointer<QWidget> oldScore = game.find("lblScore");
        game.answerer->press(QString::fromUtf8("Sì")).type("Anna").press("OK");
        game.find<QAction>("Next")->trigger();

        QCOMPARE(game.answerer->seen.size(), 5);
        QCOMPARE(game.answerer->seen[3].text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(game.caption("lblnome1"), QStringLiteral("Anna"));
        QCOMPARE(game.caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(game.window->state().rightAnswers, 0);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
        QCOMPARE(game.window->state().secondsLeft, 900);
        QVERIFY(game.find("lblScore") != oldScore);
        QCOMPARE(game.window->findChildren<Label *>("lblScore").size(), 1);
        QVERIFY(game.window->isVisible());
        QVERIFY(!game.find("cmdNext")->isEnabled());
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        // GameState survives the reload: the draw went on from the old mode.
        QVERIFY(modeBefore >= 1 && modeBefore <= 5);
        QTest::qWait(1);
        QVERIFY(oldScore.isNull());
        QCOMPARE(game.endCalls, 0);
    }

    void minimisingRenamesTheWindowForGood()
    {
        GameFixture game;
        game.start();
        game.window->setWindowState(Qt::WindowMinimized);
        QTRY_COMPARE(game.window->windowTitle(), QStringLiteral("Gioca con i monomi"));
        game.window->setWindowState(Qt::WindowNoState);
        QTest::qWait(5);
        QCOMPARE(game.window->windowTitle(), QStringLiteral("Gioca con i monomi"));
    }

    void informationMessage()
    {
        GameFixture game;
        game.start();
        game.answerer->press("OK");
        game.window->copy_Click();
        const auto &info = game.answerer->seen.last();
        QCOMPARE(info.title, QStringLiteral("Tarvimonda"));
        QCOMPARE(info.icon, QMessageBox::Information);
        QCOMPARE(info.buttons, QStringList{"OK"});
        QVERIFY(info.text.contains("Tarvimonda"));
        QVERIFY(info.plainText);
    }

    void dialogsBelongToTheShownWindow()
    {
        GameFixture game;
        struct Look
        {
            QWidget *parent;
            QWindow *transientParent;
            QRect frame;
        };
        QList<Look> looks;
        auto lookThenPress = [&looks](const QString &button) {
            return [&looks, button](QWidget *dialog) {
                looks.append({dialog->parentWidget(),
                              dialog->windowHandle() ? dialog->windowHandle()->transientParent() : nullptr,
                              dialog->frameGeometry()});
                DialogAnswerer::clickButton(dialog, button);
            };
        };
        // Before the window is shown: the prompts open on their own.
        game.answerer->then(lookThenPress("OK")).then(lookThenPress("OK"));
        game.window->showTavola();
        QCOMPARE(looks.size(), 2);
        for (const Look &look : looks)
            QVERIFY(!look.parent);
        QCOMPARE(game.caption("lblnome1"), QString()); // the prompt was answered with OK
        // Once it is shown: kept above it, centred on it where that fits on
        // the screen (800 x 600 here), moved inside the screen where not.
        const QRect screen = game.window->screen()->availableGeometry();
        for (const auto &[place, centred] : {std::pair{QPoint(400, 300), false}, std::pair{QPoint(60, 40), true}}) {
            game.window->move(place);
            QTRY_COMPARE(game.window->pos(), place);
            const int before = looks.size();
            game.answerer->then(lookThenPress("No")).then(lookThenPress("OK"));
            game.window->Next_Click();
            game.window->copy_Click();
            QCOMPARE(looks.size(), before + 2);
            for (int i = before; i < looks.size(); ++i) {
                QCOMPARE(looks[i].parent, game.window.get());
                QCOMPARE(looks[i].transientParent, game.window->windowHandle());
                const QPoint offset = looks[i].frame.center() - game.window->frameGeometry().center();
                QCOMPARE(offset.manhattanLength() <= 40, centred);
                QVERIFY2(screen.contains(looks[i].frame), qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
            }
        }
        // A new game hides the window: its prompts open on their own again.
        game.answerer->then(lookThenPress(QString::fromUtf8("Sì"))).then(lookThenPress("OK")).then(lookThenPress("OK"));
        game.window->Next_Click();
        QCOMPARE(looks.at(looks.size() - 3).parent, game.window.get());
        QVERIFY(!looks.at(looks.size() - 2).parent);
        QVERIFY(!looks.last().parent);
        QCOMPARE(game.answerer->unexpected(), 0);
    }

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

    void countdownTicksUnderAModalMessage()
    {
        GameFixture game;
        game.start();
        game.find<QTimer>("Timer1")->setInterval(5);
        QString clockWhileOpen;
        game.answerer->then([&](QWidget *dialog) {
            // The clock shown moves on under the message, however slowly a
            // loaded machine delivers the ticks.
            (void)QTest::qWaitFor([&] { return game.caption("lblconto") < QStringLiteral("00:14:57"); }, 10'000);
            clockWhileOpen = game.caption("lblconto");
            DialogAnswerer::clickButton(dialog, "OK");
        });
        game.window->copy_Click();
        QVERIFY2(clockWhileOpen < QStringLiteral("00:14:57"), qPrintable(clockWhileOpen));
    }

    void noTickBetweenUnloadAndRestart()
    {
        GameFixture game;
        game.start();
        game.find<QTimer>("Timer1")->setInterval(1);
        int leftAtUnload = -1;
        int leftAtPrompt = -2;
        int leftDuringPrompt = -3;
        game.answerer
            ->then([&](QWidget *dialog) {
                // The countdown goes on under the question. (A bare qWait may
                // sleep through its ticks: it processes events once, then sleeps.)
                (void)QTest::qWaitFor([&] { return game.window->state().secondsLeft < 900; }, 2000);
                leftAtUnload = game.window->state().secondsLeft;
                DialogAnswerer::clickButton(dialog, QString::fromUtf8("Sì"));
            })
            .then([&](QWidget *dialog) {
                // The new window's countdown, quickened, must stay still.
                QVERIFY(QTest::qWaitFor([&] { return game.find<QTimer>("Timer1") != nullptr; }));
                leftAtPrompt = game.window->state().secondsLeft;
                game.find<QTimer>("Timer1")->setInterval(1);
                QTest::qWait(30);
                leftDuringPrompt = game.window->state().secondsLeft;
                auto *input = qobject_cast<QInputDialog *>(dialog);
                input->setTextValue("Bea");
                input->accept();
            })
            .press("OK");
        game.find<QAction>("Next")->trigger();
        QVERIFY(leftAtUnload < 900);
        // One tick may still land while the question closes, before the
        // unload; none once the prompt is up.
        QVERIFY2(leftAtPrompt <= leftAtUnload && leftAtUnload - leftAtPrompt <= 1, qPrintable(QString::number(leftAtPrompt)));
        QCOMPARE(leftDuringPrompt, leftAtPrompt);
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
    }
};

QTEST_MAIN(GameFlowTest)
#include "test_game_flow.moc"
