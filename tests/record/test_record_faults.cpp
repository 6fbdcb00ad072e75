// What a save leaves on disk when things go wrong beneath it: the program
// killed half-way, a folder or files the user may not write, a full disk.
// Each save that must fail runs in a forked child, so a kill, another user
// or a file-size limit touches that child only.
#include "ChildAccount.h"
#include "FileBytes.h"
#include "RecordStepsRun.h"
#include "keeper/KeeperProtocol.h"
#include "record/PendingSave.h"
#include "fileformats/RecordText.h"

#include <memory>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <functional>
#include <optional>
#include <set>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// ---- renameat(2) with a trap ------------------------------------------------
//
// A save puts each finished file in place with renameat(). Defining it here
// interposes the C library's, so a child can kill itself at an exact point
// of a real save, before a file goes in place or just after, or have the
// rename fail as a share does: not done, or done and answered with an
// error. Disarmed (the default), it is the plain system call.

namespace {
int g_killAtRename = 0;       // which renameat() of the save, 1-based; 0: off
bool g_killAfterRename = false;
int g_failAtRename = 0;       // which renameat() answers EIO; 0: off
bool g_failAfterRename = false; // ...having done it all the same
int g_renames = 0;

QByteArray pathOf(int dirFd, const char *name)
{
    char folder[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(dirFd);
    if (dirFd == AT_FDCWD || ::readlink(link.constData(), folder, sizeof folder - 1) < 0)
        return QByteArray(name);
    return QByteArray(folder) + '/' + name;
}
} // namespace

// Armed, a file renamed into place before it was synced ends the child
// with kUnsynced: a power cut could then leave an empty record.
bool g_checkSynced = false;
std::set<QByteArray> g_synced;
constexpr int kUnsynced = 78;

extern "C" int renameat(int fromDir, const char *from, int toDir, const char *to) noexcept
{
    if (g_checkSynced && !g_synced.count(pathOf(fromDir, from)))
        ::_exit(kUnsynced);
    ++g_renames;
    const bool kill = g_killAtRename == g_renames;
    const bool fail = g_failAtRename == g_renames;
    if (kill && !g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
    if (fail && !g_failAfterRename)
        return errno = EIO, -1;
    const int result = static_cast<int>(::syscall(SYS_renameat, fromDir, from, toDir, to));
    if (kill && g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
    if (fail)
        return errno = EIO, -1;
    return result;
}

// ---- read(2), fsync(2) and fdatasync(2) that fail as a dying disk does ----
//
// Armed in a child only: the file whose name ends so fails with EIO (or,
// for fsync, the folder's own sync). Disarmed, the plain system calls.

namespace {
const char *g_failingFile = nullptr; // a file's name, or "/" for the folder
int g_failingSyncs = 0;              // folder syncs that still pass first

bool failsHere(int fd)
{
    if (!g_failingFile)
        return false;
    char target[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    if (::readlink(link.constData(), target, sizeof target - 1) < 0)
        return false;
    struct stat info {};
    if (QByteArrayView(g_failingFile) == "/")
        return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && g_failingSyncs-- <= 0;
    return QByteArray(target).endsWith(g_failingFile);
}
} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t size)
{
    if (failsHere(fd))
        return errno = EIO, -1;
    return ::syscall(SYS_read, fd, buffer, size);
}

extern "C" int fsync(int fd)
{
    if (failsHere(fd))
        return errno = EIO, -1;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd)
{
    char path[4096] = {};
    if (g_checkSynced && ::readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path - 1) > 0)
        g_synced.insert(QByteArray(path));
    if (failsHere(fd))
        return errno = EIO, -1;
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

// ---- close(2) that tells of a lost write, as a share may -------------------
//
// Armed in a child only: closing a file whose name holds the given part
// closes it and answers EIO. Disarmed, the plain system call.

namespace {
const char *g_closeFailsFor = nullptr;
} // namespace

extern "C" int close(int fd)
{
    bool fail = false;
    if (g_closeFailsFor) {
        char target[4096] = {};
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
        fail = ::readlink(link.constData(), target, sizeof target - 1) > 0 && QByteArray(target).contains(g_closeFailsFor);
    }
    const int result = static_cast<int>(::syscall(SYS_close, fd));
    return fail ? (errno = EIO, -1) : result;
}

namespace {

constexpr int kNotKilled = 3;      // the child reached no trap


const QByteArray kOldScore = "7\r\n";
const QByteArray kOldName = "Anna\r\n";
const QStringList kRecordFiles{QString::fromLatin1(kScoreFileName), QString::fromLatin1(kNameFileName)};

} // namespace

using record::Cause;
using record::Happened;

class TestRecordFaults : public QObject, RecordFolderFixture
{
    Q_OBJECT

private:

    void storeOldRecord() { storeRecord(kOldScore, kOldName); }
    void verifyOldRecordKept() { verifyRecordKept(kOldScore, kOldName); }

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

QTEST_GUILESS_MAIN(TestRecordFaults)
#include "test_record_faults.moc"
