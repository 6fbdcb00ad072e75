#include "record/RecordLock.h"

#include "record/RecordFiles.h"
#include "record/RecordIo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

} // namespace

RecordLock::RecordLock(const QString &folder)
    : m_path(recordio::withOneSlash(folder) + QLatin1StringView(kRecordLockName))
    , m_mode(static_cast<int>(recordio::fileModeFor(folder)))
{
}

RecordLock::~RecordLock() { release(); }

RecordLock::Attempt RecordLock::tryOnce()
{
    const QByteArray path = QFile::encodeName(m_path);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | kOpenFlags, m_mode);
    if (fd >= 0) {
        ::fchmod(fd, static_cast<mode_t>(m_mode));
    } else if (errno == EEXIST) {
        fd = ::open(path.constData(), O_RDWR | kOpenFlags);
        // Another user's lock file we may not write: a read-only descriptor
        // locks as well on a local disk.
        if (fd < 0 && errno == EACCES)
            fd = ::open(path.constData(), O_RDONLY | kOpenFlags);
        if (fd < 0 && errno == ENOENT)
            return Attempt::Retry; // released between our two opens
        if (fd < 0 && errno == ELOOP) {
            // A link planted in the lock's place: it never leads anywhere.
            return recordio::removeEntry(m_path) ? Attempt::Retry : (m_error = errno, Attempt::Failed);
        }
    }
    if (fd < 0) {
        m_error = errno;
        return Attempt::Failed;
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
        ::close(fd);
        if (recordio::kindOf(m_path) == recordio::Kind::Folder) {
            m_error = EISDIR;
            return Attempt::Failed;
        }
        return recordio::removeEntry(m_path) ? Attempt::Retry : (m_error = errno, Attempt::Failed);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK || error == EINTR)
            return Attempt::Busy;
        m_error = error;
        return Attempt::Failed;
    }
    // The holder before us removes the file on release: a lock won on a
    // removed file guards nothing, so it must still be the one at the path.
    struct stat now {};
    if (::lstat(path.constData(), &now) != 0 || now.st_dev != held.st_dev || now.st_ino != held.st_ino) {
        ::close(fd);
        return Attempt::Retry;
    }
    m_fd = fd;
    return Attempt::Held;
}

RecordLock::Result RecordLock::acquire(int waitMs)
{
    if (isHeld())
        return Result::Held;
    m_error = 0;
    QElapsedTimer waited;
    waited.start();
    int pauseMs = 1;
    int planted = 0;
    for (;;) {
        switch (tryOnce()) {
        case Attempt::Held: return Result::Held;
        case Attempt::Failed: return Result::Failed;
        case Attempt::Retry:
            // Someone may keep planting things in its place; do not spin.
            if (++planted > 100)
                return Result::Busy;
            continue;
        case Attempt::Busy: break;
        }
        if (waited.elapsed() >= waitMs)
            return Result::Busy;
        // Short pauses: a save holds the lock for a few milliseconds, and a
        // queue of a whole class must drain in about as many.
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(pauseMs, std::max<qint64>(1, waitMs - waited.elapsed()))));
        pauseMs = std::min(pauseMs * 2, 16);
    }
}

void RecordLock::release()
{
    if (m_fd < 0)
        return;
    // Removed while still held: a waiter that opened this file finds it
    // gone once it gets the lock, and starts again on a new one.
    recordio::removeEntry(m_path);
    ::close(m_fd);
    m_fd = -1;
}
