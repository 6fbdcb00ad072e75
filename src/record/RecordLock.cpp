#include "record/RecordLock.h"

#include "record/LockHolder.h"
#include "record/RecordNames.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

RecordLock::RecordLock(const recordio::RecordFolder &folder, Mode mode)
    : m_folder(folder)
    , m_mode(mode)
{
}

RecordLock::~RecordLock() { release(); }

bool RecordLock::stillAtPath(int fd) const
{
    // Whether the file open on fd is the one at the lock's name, a link not
    // followed.
    struct stat held {};
    struct stat now {};
    return ::fstat(fd, &held) == 0 && ::fstatat(m_folder.fd(), kRecordLockName, &now, AT_SYMLINK_NOFOLLOW) == 0
           && now.st_dev == held.st_dev && now.st_ino == held.st_ino;
}

RecordLock::Attempt RecordLock::replacePlanted(const recordio::Opened &file)
{
    // Never ours: a link, a pipe, a socket, a device, a second name of
    // another file, or a file nobody may open. Nobody can hold our lock on
    // it, so it is safe to take its place. A folder or another user's file
    // we may not open is left for the teacher.
    struct stat info {};
    if (::fstatat(m_folder.fd(), kRecordLockName, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Attempt::Retry;
    const bool plantedFile
        = S_ISREG(info.st_mode) && (file.misfit == recordio::Misfit::HardLinked || (info.st_mode & 0666) == 0);
    const bool plantedOther = !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    const int removal = plantedFile || plantedOther ? m_folder.remove(kRecordLockName) : 0;
    if ((plantedFile || plantedOther) && removal == 0)
        return Attempt::Retry;
    m_error = S_ISDIR(info.st_mode) ? EISDIR : removal != 0 ? removal : file.error;
    return Attempt::Failed;
}

RecordLock::Attempt RecordLock::tryOnce(recordio::Fd &busy)
{
    recordio::Opened file = m_folder.openFile(kRecordLockName, O_RDWR, m_folder.fileMode());
    // Another user's lock file we may not write: a read-only descriptor
    // locks as well on a local disk.
    if (file.error == EACCES) {
        file = m_folder.openFile(kRecordLockName, O_RDONLY);
        if (file.error == ENOENT) {
            m_error = EACCES; // the folder does not let us make it
            return Attempt::Failed;
        }
    }
    if (file.error == ENOENT)
        return Attempt::Retry; // released between our two opens
    if (!file.ok()) {
        const bool planted = file.misfit != recordio::Misfit::None || file.error == ELOOP || file.error == ENXIO
                             || file.error == EACCES;
        if (planted)
            return replacePlanted(file);
        m_error = file.error;
        return Attempt::Failed;
    }
    const int operation = m_mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    if (::flock(file.fd.get(), operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = errno;
            return Attempt::Failed;
        }
        busy = std::move(file.fd); // to say who holds it, if it stays so
        return Attempt::Busy;
    }
    // The holder before us removes the file on release: a lock won on a
    // removed file guards nothing, so it must still be the one at the path.
    if (!stillAtPath(file.fd.get()))
        return Attempt::Retry;
    m_fd = std::move(file.fd);
    return Attempt::Held;
}

RecordLock::Result RecordLock::acquire(int waitMs)
{
    if (isHeld())
        return Result::Held;
    m_error = 0;
    m_holder = {};
    QElapsedTimer waited;
    waited.start();
    int pauseMs = 1;
    int planted = 0;
    recordio::Fd busy;
    for (;;) {
        switch (tryOnce(busy)) {
        case Attempt::Held: return Result::Held;
        case Attempt::Failed: return Result::Failed;
        case Attempt::Retry:
            // Someone may keep planting things in its place; do not spin.
            if (++planted > 100)
                return Result::Busy;
            continue;
        case Attempt::Busy: break;
        }
        if (waited.elapsed() >= waitMs) {
            m_holder = lockHolderOf(busy.get());
            return Result::Busy;
        }
        // Short pauses: a save holds the lock for a few milliseconds, and a
        // queue of a whole class must drain in about as many.
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(pauseMs, std::max<qint64>(1, waitMs - waited.elapsed()))));
        pauseMs = std::min(pauseMs * 2, 16);
    }
}

void RecordLock::release()
{
    if (!m_fd.isOpen())
        return;
    // Removed while still held exclusively: a waiter that opened this file
    // finds it gone once it gets the lock, and starts again on a new one. A
    // reader removes it only when no other holder is left.
    const bool alone = m_mode == Mode::Exclusive || ::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0;
    if (alone && stillAtPath(m_fd.get()))
        m_folder.remove(kRecordLockName);
    m_fd.close();
}
