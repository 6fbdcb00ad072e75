#include "registerview/RegisterFile.h"

#include "record/Fd.h"
#include "record/RecordOutcome.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kFingerprintBytes = 64;

// The group that may read the file, or its folder when even that cannot be
// looked into.
QString readingGroup(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0
        && ::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &info) != 0)
        return {};
    const struct group *entry = ::getgrgid(info.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

QString accountName()
{
    const struct passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

// Exactly size bytes at offset.
bool readAt(int fd, qint64 offset, qsizetype size, QByteArray &bytes)
{
    bytes.resize(size);
    qsizetype filled = 0;
    while (filled < size) {
        const ssize_t got = ::pread(fd, bytes.data() + filled, size_t(size - filled), offset + filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        filled += got;
    }
    return true;
}

// Reads from offset to the end, however far the file has grown meanwhile.
bool readFrom(int fd, qint64 offset, qint64 expected, QByteArray &bytes)
{
    bytes.resize(qMax<qint64>(expected, 0) + 1);
    qint64 filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::pread(fd, bytes.data() + filled, size_t(bytes.size() - filled), offset + filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return true;
}

RegisterRead failed(int error)
{
    RegisterRead read;
    read.problem = {ReadProblem::Kind::Failed, error, {}, {}};
    return read;
}

} // namespace

RegisterRead readRegister(const QString &path, const ReadPosition &from)
{
    // Never blocking on a pipe put in the file's place.
    recordio::Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) {
        const int error = errno;
        RegisterRead read = failed(error);
        if (error == ENOENT)
            read.problem = {ReadProblem::Kind::Missing, error, {}, {}};
        else if (error == EACCES || error == EPERM)
            read.problem = {ReadProblem::Kind::Forbidden, error, readingGroup(path), accountName()};
        return read;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failed(errno);
    if (S_ISDIR(info.st_mode))
        return failed(EISDIR);
    if (!S_ISREG(info.st_mode)) {
        RegisterRead read;
        read.problem.kind = ReadProblem::Kind::NotAFile;
        return read;
    }

    // Only what was appended, when this is the file read before, it has
    // not shrunk, and what the last read ended with is still there.
    qint64 offset = from.offset;
    if (offset > 0) {
        QByteArray before;
        const bool same = quint64(info.st_dev) == from.device && quint64(info.st_ino) == from.inode
                          && info.st_size >= offset
                          && readAt(fd.get(), offset - from.before.size(), from.before.size(), before)
                          && before == from.before;
        if (!same)
            offset = 0;
    }
    RegisterRead read;
    QByteArray bytes;
    if (!readFrom(fd.get(), offset, info.st_size - offset, bytes))
        return failed(errno);
    read.whole = offset == 0;
    read.parsed = parseRegister(bytes, read.whole, read.whole ? 1 : from.line);
    read.next.offset = offset + read.parsed.consumed;
    read.next.line = read.parsed.nextLine;
    read.next.device = info.st_dev;
    read.next.inode = info.st_ino;
    const qint64 keep = qMin<qint64>(kFingerprintBytes, read.next.offset);
    if (read.parsed.consumed >= keep)
        read.next.before = bytes.sliced(read.parsed.consumed - keep, keep);
    else
        read.next.before = ((read.whole ? QByteArray() : from.before) + bytes.first(read.parsed.consumed)).right(keep);
    return read;
}
