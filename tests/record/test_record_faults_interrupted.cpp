// A save cut short: the program killed half-way through it, or a rename
// that fails or says it failed. What stands is one game's whole pair, and
// the next start completes a save left pending.
#include "ChildAccount.h"
#include "OldRecord.h"
#include "RecordStepsRun.h"
#include "SystemCallTraps.h"
#include "TestClasses.h"
#include "record/PendingSave.h"

#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {
constexpr int kNotKilled = 3; // the child reached no trap
} // namespace

using record::Happened;

class TestInterruptedSave : public QObject, OldRecordFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    // --- the program killed during a save ---

    void killedDuringSave_data()
    {
        // A save puts three files in place in turn: the pending save, the
        // score, the name. The kill comes just before or just after one.
        QTest::addColumn<int>("renameCall");
        QTest::addColumn<bool>("afterRename");
        QTest::addColumn<bool>("newPairWins"); // once the next start has run
        QTest::newRow("pending save written, not yet in place") << 1 << false << false;
        QTest::newRow("pending save in place, record untouched") << 1 << true << true;
        QTest::newRow("score written, not yet in place") << 2 << false << true;
        QTest::newRow("between the two writes") << 2 << true << true;
        QTest::newRow("name written, not yet in place") << 3 << false << true;
        QTest::newRow("both in place, pending save not yet removed") << 3 << true << true;
    }
    void killedDuringSave()
    {
        QFETCH(int, renameCall);
        QFETCH(bool, afterRename);
        QFETCH(bool, newPairWins);
        storeOldRecord();
        const QByteArray newScore = "12\r\n";
        const QByteArray newName = "Luca\r\n";

        const QString folder = m_dir;
        const ChildSave child = inChild([&]() -> record::GameEndOutcome {
            g_renames = 0;
            g_killAtRename = renameCall;
            g_killAfterRename = afterRename;
            g_checkSynced = true;
            endIn(folder, QStringLiteral("12"), QStringLiteral("Luca"));
            ::_exit(kNotKilled);
        });
        QVERIFY2(child.exitCode != kUnsynced, "a file went into place before it was on the disk");
        QVERIFY2(!child.exited, "the save finished without reaching the kill point");
        QCOMPARE(child.signal, SIGKILL);

        // Each file whole: its old text or its new one, never a mix, a
        // truncated or an empty file.
        QVERIFY2(bytesOf(score()) == kOldScore || bytesOf(score()) == newScore, bytesOf(score()).constData());
        QVERIFY2(bytesOf(name()) == kOldName || bytesOf(name()) == newName, bytesOf(name()).constData());

        // The next start completes a save cut short: the pair is one game's.
        const record::Outcome start = startIn(m_dir);
        QCOMPARE(bytesOf(score()), newPairWins ? newScore : kOldScore);
        QCOMPARE(bytesOf(name()), newPairWins ? newName : kOldName);
        QCOMPARE(start.pair.name, QString::fromUtf8(bytesOf(name())));

        // The dead program's lock does not block the next save, and the next
        // save leaves nothing of the killed one: no lock, no staged copy.
        QVERIFY(saved(saveIn(m_dir, QStringLiteral("13"), QStringLiteral("Bea"), 3000)));
        QCOMPARE(bytesOf(score()), QByteArray("13\r\n"));
        QCOMPARE(bytesOf(name()), QByteArray("Bea\r\n"));
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }

    // --- a rename that fails, or says it failed ---

    void failedRenameNeverLeavesAMixedPair_data()
    {
        QTest::addColumn<int>("renameCall");
        QTest::addColumn<bool>("doneAllTheSame");
        QTest::addColumn<QByteArray>("scoreRightAfter");
        // A share that did the rename and lost its answer (an NFS
        // retransmission): the new score stands beside the old name until
        // the pending save completes the pair.
        QTest::newRow("score renamed, answered EIO") << 2 << true << QByteArray("12\r\n");
        // The name cannot follow: the old score is put back at once.
        QTest::newRow("name not renamed") << 3 << false << kOldScore;
        QTest::newRow("name renamed, answered EIO") << 3 << true << QByteArray();
    }
    void failedRenameNeverLeavesAMixedPair()
    {
        QFETCH(int, renameCall);
        QFETCH(bool, doneAllTheSame);
        QFETCH(QByteArray, scoreRightAfter);
        storeOldRecord();
        const QString folder = m_dir;
        const ChildSave child = inChild([&] {
            g_renames = 0;
            g_failAtRename = renameCall;
            g_failAfterRename = doneAllTheSame;
            return endIn(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500, true);
        });
        // Not confirmed, and never "not saved": what stands is the new record.
        QCOMPARE(child.outcome.record.happened, Happened::Unconfirmed);
        QCOMPARE(child.outcome.record.error, EIO);
        QVERIFY(bytesOf(m_dir + kRegisterFileName).endsWith(";Luca;12;0;12;sì;alunno\r\n"));
        if (!scoreRightAfter.isEmpty())
            QCOMPARE(bytesOf(score()), scoreRightAfter);
        QVERIFY(QFileInfo::exists(m_dir + kPendingName));
        // The next start completes the pair from the pending save.
        QCOMPARE(startIn(m_dir).pair, (record::Pair{QStringLiteral("12\r\n"), QStringLiteral("Luca\r\n")}));
        verifyRecordKept("12\r\n", "Luca\r\n");
        QVERIFY(!QFileInfo::exists(m_dir + kPendingName));
    }

    void pendingSaveIsTakenOnlyWhole_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("taken");
        const QByteArray whole = pendingContent("12\r\n", "Luca\r\n");
        QTest::newRow("as written") << whole << true;
        QTest::newRow("a byte more") << whole + 'x' << false;
        QTest::newRow("a byte less") << whole.chopped(1) << false;
        QTest::newRow("huge sizes") << QByteArray("tarvimonda pending record 1\n9223372036854775807\n9\nx") << false;
        QTest::newRow("another program's file") << QByteArray("4\n6\n12\r\nLuca\r\n") << false;
    }
    void pendingSaveIsTakenOnlyWhole()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, taken);
        const auto files = parsePending(content);
        QCOMPARE(files.has_value(), taken);
        if (taken)
            QCOMPARE(*files, std::make_pair(QByteArray("12\r\n"), QByteArray("Luca\r\n")));
    }
};

TestClass testInterruptedSave() { return testClass<TestInterruptedSave>(); }

#include "test_record_faults_interrupted.moc"
