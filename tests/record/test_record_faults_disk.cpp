// A disk or folder that will not take a save: files and folders the user
// may not write, a disk mounted read-only, full or failing, a write lost at
// close, damaged files. Each save that must fail runs in a forked child, so
// another user or a file-size limit touches that child only.
#include "ChildAccount.h"
#include "OldRecord.h"
#include "RecordStepsRun.h"
#include "SystemCallTraps.h"
#include "TestClasses.h"
#include "fileformats/RecordText.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using record::Cause;
using record::Happened;

class TestDiskFaults : public QObject, OldRecordFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { renewFolder(); }
    void cleanup() { m_folder.reset(); }

    // --- a folder or files the user may not write ---

    void readOnly_data()
    {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::addColumn<bool>("scoreReadOnly");
        QTest::addColumn<bool>("nameReadOnly");
        QTest::addColumn<Cause>("cause");
        QTest::addColumn<QByteArray>("file"); // empty: the folder
        QTest::newRow("read-only folder") << true << false << false << Cause::FolderDenied << QByteArray();
        QTest::newRow("read-only files") << false << true << true << Cause::Protected << QByteArray(kScoreFileName);
        // The score goes in first and must be put back.
        QTest::newRow("read-only name file") << false << false << true << Cause::Protected << QByteArray(kNameFileName);
    }
    void readOnly()
    {
        QFETCH(bool, folderReadOnly);
        QFETCH(bool, scoreReadOnly);
        QFETCH(bool, nameReadOnly);
        QFETCH(Cause, cause);
        QFETCH(QByteArray, file);
        const std::optional<Account> account = unprivilegedAccount();
        if (!account)
            QSKIP("running as root and there is no 'nobody' account to meet permissions as a user");

        storeOldRecord();
        // The folder belongs to the user, as the per-user data folder does;
        // the way to it stays open.
        QVERIFY(QFile::setPermissions(m_folder->temporary.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ExeGroup | QFile::ExeOther));
        for (const QString &path : {m_dir, score(), name()})
            QCOMPARE(::chown(QFile::encodeName(path).constData(), account->uid, account->gid), 0);
        const QFile::Permissions readOnlyFile = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        if (scoreReadOnly)
            QVERIFY(QFile::setPermissions(score(), readOnlyFile));
        if (nameReadOnly)
            QVERIFY(QFile::setPermissions(name(), readOnlyFile));
        if (folderReadOnly)
            QVERIFY(QFile::setPermissions(m_dir, readOnlyFile | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

        const QString folder = m_dir;
        const ChildSave child = inChild([&] {
            if (!becomeAccount(*account))
                ::_exit(kCannotSwitch);
            return endIn(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500);
        });
        if (child.exited && child.exitCode == kCannotSwitch)
            QSKIP("running as root but cannot switch to the 'nobody' account");
        QVERIFY(child.exited);
        QCOMPARE(child.outcome.record.happened, Happened::Failed);
        QCOMPARE(child.outcome.record.cause, cause);
        QCOMPARE(child.outcome.record.file, file.isEmpty() ? QFile::encodeName(m_dir.chopped(1)) : file);
        verifyOldRecordKept();
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }

    // A disk mounted read-only is a folder that cannot be written, not one
    // that cannot be reached.
    void aReadOnlyDiskIsToldAsOne()
    {
        QTemporaryDir mountPoint;
        const QByteArray point = QFile::encodeName(mountPoint.path());
        if (::geteuid() != 0 || QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                     QStringLiteral("-o"), QStringLiteral("ro,size=64k"),
                                                     QStringLiteral("tmpfs"), mountPoint.path()}) != 0)
            QSKIP("needs root and the right to mount a read-only file system");
        const record::GameEndOutcome outcome = endIn(mountPoint.path(), QStringLiteral("12"), QStringLiteral("Luca"), 500);
        QProcess::execute(QStringLiteral("umount"), {mountPoint.path()});
        QCOMPARE(outcome.record.cause, Cause::FolderDenied);
        QCOMPARE(outcome.record.error, EROFS);
    }

    // --- a full disk ---

    void diskFull_data()
    {
        QTest::addColumn<QString>("newScore");
        QTest::addColumn<QString>("newName");
        // The limit lets the lock and the old score through, not these.
        QTest::newRow("no room for the pending save") << QStringLiteral("12") << QString(1100, u'L');
        QTest::newRow("room for the score, not the name") << QStringLiteral("12") << QString(4000, u'L');
    }
    void diskFull()
    {
        QFETCH(QString, newScore);
        QFETCH(QString, newName);
        storeOldRecord();

        const QString folder = m_dir;
        const ChildSave child = inChild([&] {
            // Past the limit a write fails with EFBIG instead of killing.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(kCannotSwitch);
            return endIn(folder, newScore, newName, 500);
        });
        QVERIFY(child.exited);
        QVERIFY2(child.exitCode != kCannotSwitch, "no file-size limit could be set");
        // Nothing claimed, nothing half-done: the old pair stays whole.
        QCOMPARE(child.outcome.record.happened, Happened::Failed);
        QCOMPARE(child.outcome.record.cause, Cause::WriteFailed);
        QCOMPARE(child.outcome.record.error, EFBIG);
        verifyOldRecordKept();
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }

    // --- a disk that fails under a save ---

    void failingDiskIsNeverHidden_data()
    {
        QTest::addColumn<QByteArray>("failing");
        QTest::addColumn<int>("syncsFirst");
        QTest::addColumn<Happened>("record");
        QTest::addColumn<Cause>("recordCause");
        QTest::addColumn<Happened>("registerLine");
        QTest::addColumn<QByteArray>("lineEnd"); // the register's last line; empty: none
        // The record on disk cannot be read: never taken as no record.
        QTest::newRow("record unreadable") << QByteArray(kScoreFileName) << 0 << Happened::Failed << Cause::Unreadable
                                           << Happened::Added << QByteArray(";no;alunno\r\n");
        // The renames are not confirmed: no success claimed, yet the new
        // record stands, and the register says so.
        QTest::newRow("folder sync after the pair") << QByteArray("/") << 1 << Happened::Unconfirmed << Cause::NotSynced
                                                    << Happened::Added << QByteArray(";sì;alunno\r\n");
        // The register's line is in the file: never told as missing.
        QTest::newRow("register sync") << QByteArray(kRegisterFileName) << 0 << Happened::Saved << Cause::None
                                       << Happened::Unconfirmed << QByteArray(";sì;alunno\r\n");
    }
    void failingDiskIsNeverHidden()
    {
        QFETCH(QByteArray, failing);
        QFETCH(int, syncsFirst);
        QFETCH(Happened, record);
        QFETCH(Cause, recordCause);
        QFETCH(Happened, registerLine);
        QFETCH(QByteArray, lineEnd);
        storeOldRecord();
        const QString folder = m_dir;
        const ChildSave child = inChild([&] {
            g_failingFile = failing.constData();
            g_failingSyncs = syncsFirst;
            return endIn(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500, true);
        });
        QCOMPARE(child.outcome.record.happened, record);
        QCOMPARE(child.outcome.record.cause, recordCause);
        QCOMPARE(child.outcome.registerLine.happened, registerLine);
        QVERIFY(bytesOf(m_dir + kRegisterFileName).endsWith(";Luca;12;0;12" + lineEnd));
        if (record == Happened::Failed)
            verifyOldRecordKept();
        else
            verifyRecordKept("12\r\n", "Luca\r\n");
    }

    // A share may tell of a lost write only when the file is closed: the
    // save is not claimed, and the old record stands.
    void aWriteLostAtCloseIsNeverHidden()
    {
        storeOldRecord();
        const QString folder = m_dir;
        const ChildSave child = inChild([&] {
            g_closeFailsFor = ".txt.";
            return endIn(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500);
        });
        QCOMPARE(child.outcome.record.happened, Happened::Failed);
        QCOMPARE(child.outcome.record.cause, Cause::WriteFailed);
        QCOMPARE(child.outcome.record.error, EIO);
        verifyOldRecordKept();
    }

    // --- damaged files found by fuzzing ---

    void decodeHeadOfDamagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        // A stray continuation byte at the end was taken for a cut character
        // and cost the character before it.
        QTest::newRow("stray byte alone") << QByteArray("\xba") << QStringLiteral("º");
        QTest::newRow("stray byte after CR") << QByteArray("123\r\x8a") << QStringLiteral("123\r\u0160");
        QTest::newRow("three stray bytes") << QByteArray("ab\xa9\xa9\xa9") << QStringLiteral("ab©©©");
        // A character really cut by the read limit is dropped, the rest stays UTF-8.
        QTest::newRow("cut euro sign") << QByteArray("\xc3\xa9\xe2\x82") << QStringLiteral("é");
        QTest::newRow("cut four-byte character") << QByteArray("a\xf0\x9f\x98") << QStringLiteral("a");
    }
    void decodeHeadOfDamagedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(decodeRecordPrefix(bytes), shown);
    }
};

TestClass testDiskFaults() { return testClass<TestDiskFaults>(); }

#include "test_record_faults_disk.moc"
