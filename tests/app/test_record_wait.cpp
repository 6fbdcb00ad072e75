// What the window does while the record keeper works: it keeps answering,
// says what it waits for only after half a second, drops what is typed
// meanwhile, lets a save under way at its limit finish, never lets a save
// be cut by the close box, and once it has given up, never lets the keeper
// write. The keeper here is a script that takes its time as a slow or
// silent share would.
#include "GameFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSaveFile>
#include <QTimer>

namespace {

const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

// A keeper that answers a start as start says, the end of a game as body.
QString fakeKeeper(const QTemporaryDir &dir, const QString &body, const QString &start = QStringLiteral("reply read"))
{
    const QString path = dir.filePath(QStringLiteral("keeper"));
    // A new file each time: a keeper still running runs the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n"
               "echo $$ >> " + dir.filePath(QStringLiteral("starts")).toUtf8() + "\n"
               "step=\n"
               "while IFS= read -r line; do\n"
               "  case \"$line\" in step=*) step=${line#step=} ;; end) break ;; esac\n"
               "done\n"
               "[ -n \"$step\" ] || exit 0\n"
               "reply() {\n"
               "  printf 'record happened=%s cause=%s file= error=0 pid=0 program= user= group= score=%s name=%s refused=\\n' \"$1\" \"${2:-none}\" \"$3\" \"$4\"\n"
               "  printf 'register happened=nothing cause=none file= error=0 pid=0 program= user= group= score= name= refused=\\n'\n"
               "  echo done\n"
               "}\n"
               "if [ \"$step\" = start ]; then\n");
    file.write(start.toUtf8() + "\nexit 0\nfi\n");
    file.write(body.toUtf8() + '\n');
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return file.commit() ? path : QString();
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
        const QByteArray bytes = bytesOf(m_dir.filePath(QStringLiteral("log")));
        return bytes == "<missing>" ? QString() : QString::fromUtf8(bytes);
    }
    std::unique_ptr<GameFixture> gameWith(const QString &body, int waitMs = kRecordLockWaitMs,
                                          const QString &start = QStringLiteral("reply read"))
    {
        const QString keeper = fakeKeeper(m_dir, QString(body).replace(QStringLiteral("LOG"), m_dir.filePath(QStringLiteral("log"))), start);
        auto game = std::make_unique<GameFixture>(std::make_shared<MixingRandomSource>(7), [&](ClassroomSettings &s) {
            s.keeperProgram = keeper;
            s.recordWaitMs = waitMs;
        });
        // Typed at once: a slow start has not answered yet.
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
            QVERIFY2(game->answerer->seen.last().text.contains(QStringLiteral("non ha risposto in tempo")),
                     qPrintable(game->answerer->seen.last().text));
        QTRY_VERIFY_WITH_TIMEOUT(!log().isEmpty(), 3000);
        QCOMPARE(log(), QStringLiteral("got:\n"));
    }

    // A slow share holds nobody at the start: the game plays at once, and the
    // record, or a problem, comes when the keeper answers. The end waits for
    // a start still running, as the record decides whether the score beats it.
    void aSlowStartHoldsNobody_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("endAtOnce");
        QTest::newRow("the record") << QStringLiteral("sleep 1; reply read none 9 Bea") << false;
        QTest::newRow("the record, the game ended first") << QStringLiteral("sleep 1; reply read none 9 Bea") << true;
        QTest::newRow("a problem") << QStringLiteral("sleep 1; reply failed folder-missing") << false;
    }
    void aSlowStartHoldsNobody()
    {
        QFETCH(QString, start);
        QFETCH(bool, endAtOnce);
        auto game = gameWith(QStringLiteral("reply saved"), kRecordLockWaitMs, start);
        QVERIFY(game->find<QTimer>("Timer1")->isActive());
        QCOMPARE(game->caption("lblpunti"), QString());
        if (endAtOnce)
            game->window->cmdExit_Click(); // 3 does not beat 9: nothing to save, nothing said
        const bool record = start.contains(u'9');
        if (!record)
            game->answerer->press(QStringLiteral("OK"));
        QTRY_VERIFY_WITH_TIMEOUT(record ? game->caption("lblpunti") == u"9" : game->answerer->seen.size() == 3, 3000);
        QCOMPARE(game->answerer->seen.size(), record ? 2 : 3);
        QCOMPARE(game->endCalls, endAtOnce ? 1 : 0);
        QVERIFY(record || game->answerer->seen.last().text.contains(QStringLiteral("non sarà salvato")));
    }

    // Each step starts a keeper of its own, from the file as it is then:
    // none waits on its input meanwhile, for a keeper never waits long.
    void theEndStartsAKeeperOfItsOwn_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("the same file") << false;
        QTest::newRow("the file replaced meanwhile") << true;
    }
    void theEndStartsAKeeperOfItsOwn()
    {
        QFETCH(bool, replaced);
        const QString starts = m_dir.filePath(QStringLiteral("starts"));
        QFile::remove(starts);
        const QString body = QStringLiteral("echo $$ > LOG; reply saved");
        auto game = gameWith(body);
        const auto started = [&] { return QString::fromUtf8(bytesOf(starts)).split(u'\n', Qt::SkipEmptyParts); };
        QTest::qWait(400);
        QCOMPARE(started().size(), 1);
        if (replaced)
            QVERIFY(!fakeKeeper(m_dir, QString(body).replace(QStringLiteral("LOG"), m_dir.filePath(QStringLiteral("log")))).isEmpty());
        game->answerer->press("OK");
        game->window->cmdExit_Click();
        QCOMPARE(game->answerer->seen.last().text, kSaved);
        QCOMPARE(started().size(), 2);
        QCOMPARE(log().trimmed(), started().value(1));
    }

    // What the end of the game says is what the keeper did: a save that
    // began a second before the limit (2 s here) is given as long again to
    // finish, and an answer nobody can read is a keeper that stopped,
    // never a save.
    void theEndSaysWhatTheKeeperDid_data()
    {
        QTest::addColumn<QString>("keeper");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<QString>("said");
        QTest::newRow("a write under way at the limit") << QStringLiteral("sleep 1; echo ready; read -r go; sleep 1.4; reply saved")
                                                        << 0 << kSaved;
        QTest::newRow("an answer nobody can read") << QStringLiteral("echo ready; read -r go; echo nonsense; echo done")
                                                   << kRecordLockWaitMs << QStringLiteral("non ha funzionato");
    }
    void theEndSaysWhatTheKeeperDid()
    {
        QFETCH(QString, keeper);
        QFETCH(int, waitMs);
        QFETCH(QString, said);
        auto game = gameWith(keeper, waitMs);
        game->answerer->press("OK");
        game->window->cmdExit_Click();
        QVERIFY2(game->answerer->seen.last().text.contains(said), qPrintable(game->answerer->seen.last().text));
        QCOMPARE(game->endCalls, 1);
    }

    void shareSilentInAWriteLetsTheWindowGoAndTheKeeperFinish()
    {
        // The limit is 2 s here: 2 s more for the lock, 2 s for the write.
        auto game = gameWith(QStringLiteral("echo ready; read -r go; sleep 5; touch LOG; reply saved"), 0);
        game->answerer->press("OK");
        QElapsedTimer clock;
        clock.start();
        game->window->cmdExit_Click();
        QVERIFY2(clock.elapsed() < 4900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(game->answerer->seen.last().text.startsWith(QStringLiteral("Il salvataggio del record non è confermato")),
                 qPrintable(game->answerer->seen.last().text));
        QCOMPARE(game->endCalls, 1);
        // Left behind, never killed: its write goes on.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath(QStringLiteral("log"))), 3000);
    }
};

QTEST_MAIN(RecordWaitTest)
#include "test_record_wait.moc"
