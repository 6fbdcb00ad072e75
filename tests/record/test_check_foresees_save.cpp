#include "ChildAccount.h"
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "record/Register.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

using record::Cause;
using record::Happened;
using recordio::RecordFolder;

namespace {

// What a row does to the record folder before the check and the save meet it.
enum class Fault {
    None,
    ScoreUnreadable,
    FolderForScore,
    FolderForName,
    NameReadOnly,
    FolderForRegister,
    RegisterReadOnly,
    FolderForLock,
    FolderMissing,
    FileForFolder,
    FolderReadOnly,
    RegisterFull,
};

constexpr qint64 kSmallRegister = 200;

} // namespace

// The teacher's check asks the record folder the questions a save asks, so
// for every fault it reaches the verdict the save then meets, with the same
// cause and the same file.
class TestCheckForeseesSave : public QObject, RecordFolderFixture
{
    Q_OBJECT

    void plant(Fault fault, uid_t uid, gid_t gid)
    {
        const QString register_ = m_dir + QString::fromLatin1(kRegisterFileName);
        storeRecord("7\r\n", "Anna\r\n");
        writeBytes(register_, registerHeader() + QByteArray(kSmallRegister, 'x'));
        QVERIFY(QFile::setPermissions(m_folder->temporary.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                                  | QFile::ExeGroup | QFile::ExeOther));
        for (const QString &entry : entriesOf(m_dir))
            QCOMPARE(::chown(QFile::encodeName(m_dir + entry).constData(), uid, gid), 0);
        QCOMPARE(::chown(QFile::encodeName(m_dir).constData(), uid, gid), 0);
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        switch (fault) {
        case Fault::None:
        case Fault::RegisterFull: break;
        case Fault::ScoreUnreadable: QVERIFY(QFile::setPermissions(score(), {})); break;
        case Fault::FolderForScore: QVERIFY(QFile::remove(score()) && QDir().mkdir(score())); break;
        case Fault::FolderForName: QVERIFY(QFile::remove(name()) && QDir().mkdir(name())); break;
        case Fault::NameReadOnly: QVERIFY(QFile::setPermissions(name(), readOnly)); break;
        case Fault::FolderForRegister: QVERIFY(QFile::remove(register_) && QDir().mkdir(register_)); break;
        case Fault::RegisterReadOnly: QVERIFY(QFile::setPermissions(register_, readOnly)); break;
        case Fault::FolderForLock: QVERIFY(QDir().mkdir(m_dir + QString::fromLatin1(kRecordLockName))); break;
        case Fault::FolderMissing: QVERIFY(QDir(m_dir).removeRecursively()); break;
        case Fault::FileForFolder:
            QVERIFY(QDir(m_dir).removeRecursively());
            writeBytes(m_dir.chopped(1), "not a folder");
            break;
        case Fault::FolderReadOnly: QVERIFY(QFile::setPermissions(m_dir, readOnly | QFile::ExeOwner)); break;
        }
    }

    // The check, or a game's end that beats the record with the register
    // on, run as a pupil's account.
    ChildSave run(const Account &account, bool check, qint64 registerMaxBytes)
    {
        const QByteArray folder = QFile::encodeName(m_dir.chopped(1));
        return inChild([&] {
            if (!becomeAccount(account))
                ::_exit(kCannotSwitch);
            OpenGate gate;
            RecordSteps steps(folder, RecordFolder::Making::Never, gate, 200, registerMaxBytes);
            if (check)
                return steps.check();
            return steps.end({12, QStringLiteral("Luca"), 0, 12, true, true, QDateTime::currentDateTime(),
                              QStringLiteral("alunno")});
        });
    }

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    void sameVerdictAndCause_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("a sound folder") << Fault::None;
        QTest::newRow("a record file the pupil cannot read") << Fault::ScoreUnreadable;
        QTest::newRow("a folder in place of the score file") << Fault::FolderForScore;
        QTest::newRow("a folder in place of the name file") << Fault::FolderForName;
        QTest::newRow("a read-only name file") << Fault::NameReadOnly;
        QTest::newRow("a folder in place of the register") << Fault::FolderForRegister;
        QTest::newRow("a register the pupil may not write") << Fault::RegisterReadOnly;
        QTest::newRow("a folder in place of the lock") << Fault::FolderForLock;
        QTest::newRow("a chosen folder that is missing") << Fault::FolderMissing;
        QTest::newRow("a file in the folder's place") << Fault::FileForFolder;
        QTest::newRow("a folder the pupil may not write") << Fault::FolderReadOnly;
        QTest::newRow("a register at its largest") << Fault::RegisterFull;
    }
    void sameVerdictAndCause()
    {
        QFETCH(Fault, fault);
        const std::optional<Account> account = unprivilegedAccount();
        if (!account)
            QSKIP("running as root and there is no 'nobody' account to meet permissions as a user");
        plant(fault, account->uid, account->gid);
        if (QTest::currentTestFailed())
            return;
        const qint64 maxBytes = fault == Fault::RegisterFull ? kSmallRegister : qint64(1) << 20;

        const ChildSave check = run(*account, true, maxBytes);
        const ChildSave save = run(*account, false, maxBytes);
        if (check.exitCode == kCannotSwitch)
            QSKIP("running as root but cannot switch to the 'nobody' account");
        QVERIFY(check.exited && save.exited);

        const record::Outcome &foreseen = check.outcome.record;
        const record::Outcome &met = save.outcome.record;
        QCOMPARE(foreseen.happened == Happened::Failed, met.happened == Happened::Failed);
        QCOMPARE(foreseen.cause, met.cause);
        QCOMPARE(foreseen.file, met.file);
        // The register's line is foreseen only where the record can be kept.
        if (met.happened != Happened::Failed) {
            QCOMPARE(check.outcome.registerLine.cause, save.outcome.registerLine.cause);
            QCOMPARE(check.outcome.registerLine.happened == Happened::Failed,
                     save.outcome.registerLine.happened == Happened::Failed);
        }
        // A row stands for a fault only if the save does meet it.
        QCOMPARE(fault == Fault::None, met.happened == Happened::Saved
                                           && save.outcome.registerLine.happened == Happened::Added);
    }
};

QTEST_GUILESS_MAIN(TestCheckForeseesSave)
#include "test_check_foresees_save.moc"
