#include "record/RecordLock.h"

#include "record/RecordIo.h"
#include "record/RecordNames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether the file at path is the one open on fd, a link not followed.
bool stillAtPath(int fd, const QString &path)
{
    struct stat held {};
    struct stat now {};
    return ::fstat(fd, &held) == 0
           && ::fstatat(AT_FDCWD, QFile::encodeName(path).constData(), &now, AT_SYMLINK_NOFOLLOW) == 0
           && now.st_dev == held.st_dev && now.st_ino == held.st_ino;
}

} // namespace

RecordLock::RecordLock(const RecordFolder &folder, Mode mode)
    : m_path(folder.file(kRecordLockName))
    , m_mode(mode)
    , m_fileMode(static_cast<int>(recordio::fileModeFor(folder.path())))
{
}

RecordLock::~RecordLock() { release(); }

RecordLock::Attempt RecordLock::replacePlanted(int error)
{
    // Never ours: a link, a pipe, a socket, a device, a second name of
    // another file, or a file nobody may open. Nobody can hold our lock on
    // it, so it is safe to take its place. A folder or another user's file
    // we may not open is left for the teacher.
    struct stat info {};
    const bool exists = ::fstatat(AT_FDCWD, QFile::encodeName(m_path).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists)
        return Attempt::Retry;
    const bool plantedFile = S_ISREG(info.st_mode) && (error == recordio::kHardLinked || (info.st_mode & 0666) == 0);
    const bool plantedOther = !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    if ((plantedFile || plantedOther) && recordio::removeEntry(m_path))
        return Attempt::Retry;
    m_error = S_ISDIR(info.st_mode) ? EISDIR : error;
    return Attempt::Failed;
}

RecordLock::Attempt RecordLock::tryOnce()
{
    recordio::Opened file = recordio::openFile(m_path, O_RDWR, static_cast<mode_t>(m_fileMode));
    // Another user's lock file we may not write: a read-only descriptor
    // locks as well on a local disk.
    if (file.error == EACCES) {
        file = recordio::openFile(m_path, O_RDONLY);
        if (file.error == ENOENT) {
            m_error = EACCES; // the folder does not let us make it
            return Attempt::Failed;
        }
    }
    if (file.error == ENOENT)
        return Attempt::Retry; // released between our two opens
    if (file.error != 0) {
        const bool planted = file.error == ELOOP || file.error == ENXIO || file.error == EACCES
                             || file.error == recordio::kNotRegular || file.error == recordio::kHardLinked;
        if (planted)
            return replacePlanted(file.error);
        m_error = file.error;
        return Attempt::Failed;
    }
    const int operation = m_mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    if (::flock(file.fd.get(), operation | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK || errno == EINTR)
            return Attempt::Busy;
        m_error = errno;
        return Attempt::Failed;
    }
    // The holder before us removes the file on release: a lock won on a
    // removed file guards nothing, so it must still be the one at the path.
    if (!stillAtPath(file.fd.get(), m_path))
        return Attempt::Retry;
    m_fd = std::move(file.fd);
    return Attempt::Held;
}

RecordLock::Result RecordLock::acquire(int waitMs, const std::function<bool()> &abandoned)
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
        if (waited.elapsed() >= waitMs || (abandoned && abandoned()))
            return Result::Busy;
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
    if (alone && stillAtPath(m_fd.get(), m_path))
        recordio::removeEntry(m_path);
    m_fd.close();
}

QString RecordLock::failure() const
{
    const QString shown = QDir::toNativeSeparators(m_path);
    const QString folder = QDir::toNativeSeparators(m_path.left(m_path.lastIndexOf(u'/') + 1));
    if (recordio::kindOf(m_path) == recordio::Kind::Missing && (m_error == EACCES || m_error == EPERM || m_error == EROFS))
        return QStringLiteral("permesso negato nella cartella %1.").arg(folder);
    if (m_error == EISDIR || m_error == EACCES || m_error == EPERM)
        return QStringLiteral("il file %1 non si può usare (%2): l'insegnante può cancellarlo, "
                              "il programma lo crea di nuovo.")
            .arg(shown, recordio::reason(m_error));
    return QStringLiteral("la cartella %1 non si può bloccare per la scrittura (%2).")
        .arg(folder, recordio::reason(m_error));
}
