// The record keeper keeps nothing of its caller's process context
// (environment, umask, descriptors), makes every file and folder for the
// folder's group, and writes nothing once the window stopped waiting.
#include "FileBytes.h"
#include "KeeperAccounts.h"
#include "KeeperClient.h"
#include "TestClasses.h"
#include "record/RecordLock.h"
#include "record/Register.h"

#include <QDateTime>
#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using record::Cause;

class TestKeeperCaller : public QObject, RecordFolderFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void writesOnlyWhenTheWindowStillWaits_data()
    {
        QTest::addColumn<bool>("go");
        QTest::newRow("the window still waits") << true;
        QTest::newRow("the window gave up") << false;
    }
    void writesOnlyWhenTheWindowStillWaits()
    {
        QFETCH(bool, go);
        // A class folder, and a pupil whose umask keeps everything to herself.
        QCOMPARE(::chmod(QFile::encodeName(m_dir).constData(), 02770), 0);
        storeRecord("7\r\n", "Anna\r\n");
        const QDateTime before = QDateTime::currentDateTime();
        QProcess keeper;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral("/nonexistent.so"));
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Pacific/Kiritimati"));
        keeper.setProcessEnvironment(environment);
        keeper.setChildProcessModifier([] { ::umask(077); });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 12, QStringLiteral("Luca"), true)));
        // It asks before its first change and before the lock, and waits:
        // a classmate's save meanwhile takes the lock at once.
        QByteArray said;
        QTRY_VERIFY((said += keeper.readAllStandardOutput()) == "ready\n");
        {
            recordio::RecordFolder folder(QFile::encodeName(m_dir));
            QCOMPARE(folder.open(), 0);
            RecordLock classmate(folder, RecordLock::Mode::Exclusive);
            QCOMPARE(classmate.acquire(0), RecordLock::Result::Held);
        }
        if (go)
            keeper.write("go\n");
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        if (go) {
            verifyRecordKept("12\r\n", "Luca\r\n");
            // The pupil's TZ never reached it: the register has the machine's time.
            const QByteArray line = bytesOf(m_dir + kRegisterFileName).split('\n').value(1);
            const QStringList hours{before.toString(QStringLiteral("HH")), QDateTime::currentDateTime().toString(QStringLiteral("HH"))};
            QVERIFY2(hours.contains(QString::fromUtf8(line.mid(11, 2))), line.constData());
            for (const char *file : {kScoreFileName, kNameFileName, kRegisterFileName})
                QCOMPARE(modeOf(m_dir + file), mode_t(0660));
        } else {
            verifyRecordKept("7\r\n", "Anna\r\n");
            QCOMPARE(entriesOf(m_dir).contains(kRegisterFileName), false);
        }
    }

    // The machine's class folder, made by the first keeper that finds it
    // missing, must let the whole class in, whatever that pupil's umask; a
    // chosen folder is never made, not even by a save.
    void aFolderItMakesIsTheClasss()
    {
        const QString machine = QStringLiteral(TARVIMONDA_TEST_MACHINE_FOLDER);
        QDir(machine).removeRecursively();
        keeper::Request start;
        start.machineFolder = true;
        QProcess keeper;
        keeper.setChildProcessModifier([] { ::umask(077); });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER_TEST), {});
        keeper.write(keeper::encodeRequest(start) + "go\ngo\ngo\n");
        keeper.closeWriteChannel();
        const auto outcome = outcomeOf(keeper);
        QVERIFY(outcome);
        QCOMPARE(outcome->record.cause, Cause::None);
        QCOMPARE(modeOf(machine) & 0777, mode_t(0775));
        QDir(machine).removeRecursively();

        const QString chosen = m_dir + QStringLiteral("scelta");
        auto save = startKeeper(QStringLiteral(TARVIMONDA_KEEPER), endRequest(chosen, 12, QStringLiteral("Luca"), true));
        const auto saved = outcomeOf(*save);
        QVERIFY(saved);
        QCOMPARE(saved->record.cause, Cause::FolderMissing);
        QVERIFY(!QFileInfo::exists(chosen));
    }

    // Descriptors a caller leaves open are not the keeper's to use, and
    // one that starts it with its output closed does not get the replies
    // written into a record file.
    void keepsNoDescriptorOfItsCaller()
    {
        const QByteArray leaked = QFile::encodeName(m_dir + QStringLiteral("lasciato aperto"));
        QProcess keeper;
        keeper.setChildProcessModifier([&leaked] {
            if (::open(leaked.constData(), O_RDWR | O_CREAT, 0600) < 0 || ::close(STDOUT_FILENO) != 0)
                ::_exit(100);
        });
        keeper.start(QStringLiteral(TARVIMONDA_KEEPER), {});
        keeper.write(keeper::encodeRequest(endRequest(m_dir, 12, QStringLiteral("Luca"))));
        // What it holds open while it waits for its "go", the folder open.
        const QString fds = QStringLiteral("/proc/%1/fd").arg(keeper.processId());
        const auto heldOpen = [&fds] {
            QStringList open;
            for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                open << fd.symLinkTarget();
            return open;
        };
        QTRY_VERIFY2(heldOpen().contains(m_dir.chopped(1)), qPrintable(heldOpen().join(u' ')));
        QVERIFY2(!heldOpen().contains(QFile::decodeName(leaked)), qPrintable(heldOpen().join(u' ')));
        keeper.write("go\n");
        keeper.closeWriteChannel();
        QVERIFY(keeper.waitForFinished(10'000));
        QCOMPARE(keeper.exitCode(), 0);
        verifyRecordKept("12\r\n", "Luca\r\n");
        QCOMPARE(bytesOf(QFile::decodeName(leaked)), QByteArray());
    }
};

TestClass testKeeperCaller() { return testClass<TestKeeperCaller>(); }

#include "test_keeper_caller.moc"
