// The system calls of a save, armed by the record fault tests (see
// SystemCallTraps.h). Defined in the test program itself, they take the
// place of the C library's for every save it makes.
#include "SystemCallTraps.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// ---- renameat(2) with a trap ------------------------------------------------
//
// A save puts each finished file in place with renameat(). Defining it here
// interposes the C library's, so a child can kill itself at an exact point
// of a real save, before a file goes in place or just after, or have the
// rename fail as a share does: not done, or done and answered with an
// error. Disarmed (the default), it is the plain system call.

int g_killAtRename = 0;
bool g_killAfterRename = false;
int g_failAtRename = 0;
bool g_failAfterRename = false;
int g_renames = 0;

namespace {
QByteArray pathOf(int dirFd, const char *name)
{
    char folder[4096] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(dirFd);
    if (dirFd == AT_FDCWD || ::readlink(link.constData(), folder, sizeof folder - 1) < 0)
        return QByteArray(name);
    return QByteArray(folder) + '/' + name;
}
} // namespace

bool g_checkSynced = false;
std::set<QByteArray> g_synced;

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

const char *g_failingFile = nullptr;
int g_failingSyncs = 0;

namespace {
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

const char *g_closeFailsFor = nullptr;

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
