// What the window does while the record keeper works: it keeps answering,
// says what it waits for only after half a second, drops what is typed
// meanwhile, never lets a save be cut by the close box, and once it has
// given up, never lets the keeper write. The keeper here is a script that
// takes its time as a slow or silent share would.
#include "GameFixture.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

namespace {

const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

// A keeper that answers a start as start says (at once by default), and the
// end of a game as body says.
QString fakeKeeper(const QTemporaryDir &dir, const QString &body, const QString &start = QStringLiteral("reply read"))
{
    const QString path = dir.filePath(QStringLiteral("keeper"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n"
               "step=\n"
               "while IFS= read -r line; do\n"
               "  case \"$line\" in step=*) step=${line#step=} ;; end) break ;; esac\n"
               "done\n"
               "reply() {\n"
               "  printf 'record happened=%s cause=%s file= error=0 pid=0 program= user= group= score=%s name=%s\\n' \"$1\" \"${2:-none}\" \"$3\" \"$4\"\n"
               "  printf 'register happened=nothing cause=none file= error=0 pid=0 program= user= group= score= name=\\n'\n"
               "  echo done\n"
               "}\n"
               "if [ \"$step\" = start ]; then\n");
    file.write(start.toUtf8() + "\nexit 0\nfi\n");
    file.write(body.toUtf8() + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool noticeShown()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == u"WaitNotice" && widget->isVisible())
            return true;
    return false;
}

} // namespace

class RecordWaitTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString log() const
    {
        const QByteArray bytes = GameFixture::contentOf(m_dir.filePath(QStringLiteral("log")));
        return bytes == "<missing>" ? QString() : QString::fromUtf8(bytes);
    }
    QString inDir(QString text) const { return text.replace(QStringLiteral("DIR"), m_dir.path()); }
    std::unique_ptr<GameFixture> gameWith(const QString &body, int waitMs = kRecordLockWaitMs,
                                          const QString &start = QStringLiteral("reply read"))
    {
        const QString keeper = fakeKeeper(m_dir, inDir(QString(body).replace(QStringLiteral("LOG"), QStringLiteral("DIR/log"))), inDir(start));
        auto game = std::make_unique<GameFixture>(std::make_shared<MixingRandomSource>(7), [&](ClassroomSettings &s) {
            s.keeperProgram = keeper;
            s.recordWaitMs = waitMs;
        });
        // With a start of its own, the pupil types at once: a slow keeper
        // has not answered yet.
        if (start != QStringLiteral("reply read"))
            game->answerer->typingDone = {};
        game->start();
        game->showScore(3);
        return game;
    }

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }
    void init() { QFile::remove(m_dir.filePath(QStringLiteral("log"))); }

    void noticeComesAfterHalfASecondAndKeysAreDropped()
    {
        auto game = gameWith(QStringLiteral("sleep 1; reply saved"));
        bool noticeEarly = true;
        bool noticeLater = false;
        QTimer::singleShot(250, [&] {
            noticeEarly = noticeShown();
            QTest::keyClicks(game->find<QLineEdit>("txtAnswer"), QStringLiteral("42"));
        });
        QTimer::singleShot(750, [&] { noticeLater = noticeShown(); });
        game->answerer->press("OK");
        game->window->cmdExit_Click();
        QVERIFY2(!noticeEarly, "the notice came at once");
        QVERIFY2(noticeLater, "no notice after half a second");
        QCOMPARE(game->find<QLineEdit>("txtAnswer")->text(), QString());
        QCOMPARE(game->answerer->seen.last().text, kSaved);
    }

    void closeBoxWaitsForAWriteUnderWay()
    {
        auto game = gameWith(QStringLiteral("echo ready; read -r go; echo \"$go\" > LOG; sleep 1; reply saved"));
        bool closed = true;
        QTimer::singleShot(400, [&] { closed = game->window->close(); });
        game->answerer->press("OK");
        game->window->cmdExit_Click();
        QVERIFY2(!closed, "the close box ended the game in the middle of a save");
        QCOMPARE(log(), QStringLiteral("go\n"));
        QCOMPARE(game->answerer->seen.last().text, kSaved);
        QCOMPARE(game->endCalls, 1);
    }

    void nothingIsWrittenOnceTheWindowGaveUp_data()
    {
        QTest::addColumn<bool>("byTheCloseBox");
        QTest::newRow("the limit passed") << false;
        QTest::newRow("the close box") << true;
    }
    void nothingIsWrittenOnceTheWindowGaveUp()
    {
        QFETCH(bool, byTheCloseBox);
        // Ready to write only after the window's limit (2 s here).
        auto game = gameWith(QStringLiteral("sleep 2.5; echo ready; read -r go; echo \"got:$go\" > LOG; reply saved"), 0);
        if (byTheCloseBox)
            QTimer::singleShot(300, [&] { QVERIFY(game->window->close()); });
        else
            game->answerer->press("OK");
        QElapsedTimer clock;
        clock.start();
        game->window->cmdExit_Click();
        QVERIFY(clock.elapsed() < 2400);
        QCOMPARE(game->endCalls, 1);
        if (!byTheCloseBox)
            QVERIFY2(game->answerer->seen.last().text.contains(QStringLiteral("non ha risposto entro 2 secondi")),
                     qPrintable(game->answerer->seen.last().text));
        QTRY_VERIFY_WITH_TIMEOUT(!log().isEmpty(), 3000);
        QCOMPARE(log(), QStringLiteral("got:\n"));
    }

    // A share that is slow to give the record holds nobody at the start:
    // the game plays at once, and the record comes when the keeper answers;
    // a problem is told then.
    void theGamePlaysBeforeASlowStartHasAnswered_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("told");
        QTest::newRow("the record") << QStringLiteral("sleep 1; reply read none 9 Bea") << QString();
        QTest::newRow("a problem") << QStringLiteral("sleep 1; reply failed folder-missing")
                                   << QStringLiteral("Il record non può essere tenuto");
    }
    void theGamePlaysBeforeASlowStartHasAnswered()
    {
        QFETCH(QString, start);
        QFETCH(QString, told);
        auto game = gameWith(QStringLiteral("reply saved"), kRecordLockWaitMs, start);
        QVERIFY(game->find<QTimer>("Timer1")->isActive());
        QVERIFY(!game->caption("lblvala").isEmpty());
        QCOMPARE(game->window->focusWidget(), game->find("txtAnswer1"));
        QCOMPARE(game->caption("lblpunti"), QString());
        QCOMPARE(game->answerer->seen.size(), 2); // the name and the greeting
        if (told.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(game->caption("lblpunti"), QStringLiteral("9"), 3000);
            QCOMPARE(game->caption("lblnome"), QStringLiteral("Bea"));
        } else {
            game->answerer->press(QStringLiteral("OK"));
            QTRY_COMPARE_WITH_TIMEOUT(game->answerer->seen.size(), 3, 3000);
            QVERIFY2(game->answerer->seen.last().text.startsWith(told), qPrintable(game->answerer->seen.last().text));
            QVERIFY(game->find<QTimer>("Timer1")->isActive());
        }
    }

    // Whether the score beats the record depends on the record the start
    // reads: the end of a game waits for a start still running.
    void theEndWaitsForAStartStillRunning()
    {
        auto game = gameWith(QStringLiteral("reply saved"), kRecordLockWaitMs, QStringLiteral("sleep 1; reply read none 9 Bea"));
        game->window->cmdExit_Click();
        QCOMPARE(game->caption("lblpunti"), QStringLiteral("9"));
        QCOMPARE(game->answerer->seen.size(), 2); // 3 does not beat 9: nothing to save, nothing said
        QCOMPARE(game->endCalls, 1);
    }

    // A start given up by a new game never shows its record on the new one.
    void aNewGameForgetsTheStartBeforeIt()
    {
        const QString start = QStringLiteral("if [ -e DIR/started ]; then reply read none 4 Ugo; "
                                             "else touch DIR/started; sleep 1; reply read none 9 Bea; fi");
        QFile::remove(m_dir.filePath(QStringLiteral("started")));
        auto game = gameWith(QStringLiteral("reply saved"), kRecordLockWaitMs, start);
        // The first keeper answers while the new game's prompt is open.
        game->answerer->typingDone = [] { return QTest::qWait(1500), true; };
        game->answerer->press(QString::fromUtf8("Sì")).type(QStringLiteral("Ugo")).press(QStringLiteral("OK"));
        game->find<QAction>("Next")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(game->caption("lblpunti"), QStringLiteral("4"), 3000);
        QCOMPARE(game->caption("lblnome"), QStringLiteral("Ugo"));
    }

    void shareSilentInAWriteLetsTheWindowGoAndTheKeeperFinish()
    {
        auto game = gameWith(QStringLiteral("echo ready; read -r go; sleep 3; touch LOG; reply saved"), 0);
        game->answerer->press("OK");
        QElapsedTimer clock;
        clock.start();
        game->window->cmdExit_Click();
        QVERIFY2(clock.elapsed() < 2900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(game->answerer->seen.last().text.startsWith(QStringLiteral("Il salvataggio del record non è confermato")),
                 qPrintable(game->answerer->seen.last().text));
        QCOMPARE(game->endCalls, 1);
        // Left behind, never killed: its write goes on.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath(QStringLiteral("log"))), 3000);
    }
};

QTEST_MAIN(RecordWaitTest)
#include "test_record_wait.moc"
