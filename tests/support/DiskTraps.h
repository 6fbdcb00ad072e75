#pragma once

// The system calls under a save, with traps a test arms in a child: a kill
// at an exact rename, a check that every file is synced before it is
// renamed, and reads and syncs that fail as a dying disk does. Defined here
// they stand in for the C library's, for Qt too; disarmed (the default)
// they are the plain system calls. For one test program only.
#include <QByteArray>
#include <QByteArrayView>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// ---- rename(2) and linkat(2) with a trap -----------------------------------
//
// A file goes in place with rename(), or with linkat() when Qt makes it new:
// a child can kill itself at an exact point of a real save, before a file
// goes in place or just after.

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
