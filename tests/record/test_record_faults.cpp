// What a save leaves on disk when things go wrong beneath it: the program
// killed half-way, a folder or files the user may not write, a full disk.
// Each save that must fail runs in a forked child, so a kill, another user
// or a file-size limit touches that child only.
#include "FileBytes.h"

#include <memory>
#include "SaveRecord.h"
#include "record/RecordFiles.h"
#include "record/Register.h"
#include "record/RecordText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// ---- rename(2) and linkat(2) with a trap -----------------------------------
//
// QSaveFile puts each finished file in place with rename(), or with linkat()
// when the file is new. Defining them here interposes the C library's for Qt
// too, so a child can kill itself at an exact point of a real save: before a
// file goes in place, or just after. Disarmed (the default), they are the
// plain system calls.

namespace {
int g_killAtRename = 0;       // which rename() of the save, 1-based; 0: off
bool g_killAfterRename = false;
int g_renames = 0;
} // namespace

// Armed, a file renamed into place before it was synced ends the child
// with kUnsynced: a power cut could then leave an empty record.
bool g_checkSynced = false;
std::set<QByteArray> g_synced;
constexpr int kUnsynced = 78;

extern "C" int rename(const char *from, const char *to) noexcept
{
    if (g_checkSynced && !g_synced.count(QByteArray(from)))
        ::_exit(kUnsynced);
    const bool trap = g_killAtRename != 0 && ++g_renames == g_killAtRename;
    if (trap && !g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
    const int result = ::renameat(AT_FDCWD, from, AT_FDCWD, to);
    if (trap && g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
    return result;
}

extern "C" int linkat(int fromDir, const char *from, int toDir, const char *to, int flags) noexcept
{
    const bool trap = g_killAtRename != 0 && ++g_renames == g_killAtRename;
    if (trap && !g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
    const int result = static_cast<int>(::syscall(SYS_linkat, fromDir, from, toDir, to, flags));
    if (trap && g_killAfterRename)
        ::kill(::getpid(), SIGKILL);
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

namespace {

constexpr int kNotKilled = 3;      // the child reached no trap
constexpr int kCannotSwitch = 77;  // the child could not become another user


// How a child save ended.
struct ChildSave
{
    bool exited = false;  // by _exit, not by a signal
    int exitCode = -1;
    int signal = 0;
    bool saved = false;   // saveRecord returned no failure
    QString message;      // the failure it returned
};

// Runs body in a forked child. The child sends back what saveRecord
// returned: "ok", or the failure text.
ChildSave inChild(const std::function<std::optional<QString>()> &body)
{
    ChildSave result;
    int channel[2];
    if (::pipe(channel) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        const std::optional<QString> failure = body();
        const QByteArray reply = failure ? failure->toUtf8() : QByteArray("ok");
        const ssize_t written = ::write(channel[1], reply.constData(), static_cast<size_t>(reply.size()));
        ::_exit(written == reply.size() ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray reply;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        reply.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.saved = result.exited && result.exitCode == 0 && reply == "ok";
    if (!result.saved)
        result.message = QString::fromUtf8(reply);
    return result;
}

// The account a root test run borrows to meet permissions as a pupil would.
struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
};
std::optional<Account> unprivilegedAccount()
{
    if (::geteuid() != 0)
        return Account{::geteuid(), ::getegid()};
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    return Account{nobody->pw_uid, nobody->pw_gid};
}

// In a child: drop to the account when running as root.
bool becomeAccount(const Account &account)
{
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(account.gid) == 0 && ::setuid(account.uid) == 0
           && ::geteuid() == account.uid;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

const QByteArray kOldScore = "7\r\n";
const QByteArray kOldName = "Anna\r\n";
const QStringList kRecordFiles{QString::fromLatin1(kScoreFileName), QString::fromLatin1(kNameFileName)};

} // namespace

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
        const ChildSave child = inChild([&]() -> std::optional<QString> {
            g_renames = 0;
            g_killAtRename = renameCall;
            g_killAfterRename = afterRename;
            g_checkSynced = true;
            saveRecord(folder, QStringLiteral("12"), QStringLiteral("Luca"));
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
        QVERIFY(prepareRecordFiles(m_dir));
        QCOMPARE(bytesOf(score()), newPairWins ? newScore : kOldScore);
        QCOMPARE(bytesOf(name()), newPairWins ? newName : kOldName);
        QCOMPARE(loadRecord(m_dir).name, QString::fromUtf8(bytesOf(name())));

        // The dead program's lock does not block the next save, and the next
        // save leaves nothing of the killed one: no lock, no staged copy.
        const auto failure = saveRecord(m_dir, QStringLiteral("13"), QStringLiteral("Bea"), 3000);
        QVERIFY2(!failure, failure ? qPrintable(*failure) : "");
        QCOMPARE(bytesOf(score()), QByteArray("13\r\n"));
        QCOMPARE(bytesOf(name()), QByteArray("Bea\r\n"));
        const QStringList entries = entriesOf(m_dir);
        for (const QString &file : kRecordFiles)
            QVERIFY2(entries.contains(file), qPrintable(entries.join(u' ')));
        for (const QString &entry : entries)
            QVERIFY2(kRecordFiles.contains(entry), qPrintable(entries.join(u' ')));
    }

    // --- a folder or files the user may not write ---

    void readOnly_data()
    {
        QTest::addColumn<bool>("folderReadOnly");
        QTest::addColumn<bool>("scoreReadOnly");
        QTest::addColumn<bool>("nameReadOnly");
        QTest::newRow("read-only folder") << true << false << false;
        QTest::newRow("read-only files") << false << true << true;
        // The score goes in first and must be put back.
        QTest::newRow("read-only name file") << false << false << true;
    }
    void readOnly()
    {
        QFETCH(bool, folderReadOnly);
        QFETCH(bool, scoreReadOnly);
        QFETCH(bool, nameReadOnly);
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
        const ChildSave child = inChild([&]() -> std::optional<QString> {
            if (!becomeAccount(*account))
                ::_exit(kCannotSwitch);
            return saveRecord(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500);
        });
        if (child.exited && child.exitCode == kCannotSwitch)
            QSKIP("running as root but cannot switch to the 'nobody' account");
        QVERIFY(child.exited);
        QVERIFY2(!child.saved, "the save claims success in a place the user may not write");
        QVERIFY2(child.message.startsWith(QStringLiteral("Non è stato possibile salvare il record")),
                 qPrintable(child.message));
        QVERIFY2(child.message.contains(QDir::toNativeSeparators(m_dir.chopped(1))), qPrintable(child.message));
        verifyOldRecordKept();
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }

    // --- a full disk ---

    void diskFull_data()
    {
        QTest::addColumn<QString>("newScore");
        QTest::addColumn<QString>("newName");
        const QString huge = QString(4000, u'9');
        // The limit lets the lock and the old score through, not these.
        QTest::newRow("no room for the score") << huge << QStringLiteral("Luca");
        QTest::newRow("room for the score, not the name") << QStringLiteral("12") << QString(4000, u'L');
    }
    void diskFull()
    {
        QFETCH(QString, newScore);
        QFETCH(QString, newName);
        storeOldRecord();

        const QString folder = m_dir;
        const ChildSave child = inChild([&]() -> std::optional<QString> {
            // Past the limit a write fails with EFBIG instead of killing.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(kCannotSwitch);
            return saveRecord(folder, newScore, newName, 500);
        });
        QVERIFY(child.exited);
        QVERIFY2(child.exitCode != kCannotSwitch, "no file-size limit could be set");
        QVERIFY2(!child.saved, "the save claims success on a full disk");
        QVERIFY2(child.message.startsWith(QStringLiteral("Non è stato possibile salvare il record")),
                 qPrintable(child.message));
        QVERIFY2(child.message.contains(QStringLiteral("spazio su disco esaurito")), qPrintable(child.message));
        // Nothing about a mismatched pair: the old score was put back.
        QVERIFY2(!child.message.contains(QStringLiteral("non corrispondere")), qPrintable(child.message));
        verifyOldRecordKept();
        QCOMPARE(entriesOf(m_dir), kRecordFiles);
    }

    // --- a disk that fails under a save ---

    void failingDiskIsNeverHidden_data()
    {
        QTest::addColumn<QByteArray>("failing");
        QTest::addColumn<int>("syncsFirst");
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("recordKept");
        // The record on disk cannot be read: never taken as no record.
        QTest::newRow("record unreadable") << QByteArray(kScoreFileName) << 0 << QStringLiteral("non si può leggere") << true;
        // The renames are not confirmed: no success claimed.
        QTest::newRow("folder sync after the pair") << QByteArray("/") << 1 << QStringLiteral("non ha confermato") << false;
        // The register's line is in the file: never told as missing.
        QTest::newRow("register sync") << QByteArray(kRegisterFileName) << 0 << QStringLiteral("è stata aggiunta") << false;
    }
    void failingDiskIsNeverHidden()
    {
        QFETCH(QByteArray, failing);
        QFETCH(int, syncsFirst);
        QFETCH(QString, told);
        QFETCH(bool, recordKept);
        storeOldRecord();
        const QString folder = m_dir;
        const ChildSave child = inChild([&]() -> std::optional<QString> {
            g_failingFile = failing.constData();
            g_failingSyncs = syncsFirst;
            auto failure = saveRecord(folder, QStringLiteral("12"), QStringLiteral("Luca"), 500);
            if (!failure)
                failure = addToRegister(folder, {QDateTime::currentDateTime(), QStringLiteral("Luca"),
                                                 QStringLiteral("12"), QStringLiteral("0"), QStringLiteral("12")});
            return failure;
        });
        QVERIFY2(child.message.contains(told), qPrintable(child.message));
        if (recordKept)
            verifyOldRecordKept();
        if (failing == kRegisterFileName)
            QVERIFY(bytesOf(m_dir + kRegisterFileName).endsWith(";Luca;12;0;12;no\r\n"));
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
