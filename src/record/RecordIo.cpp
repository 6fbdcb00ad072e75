#include "record/RecordIo.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordio {
namespace {

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// A descriptor that closes itself.
struct Fd
{
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QString withOneSlash(const QString &folder)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (path.isEmpty())
        return QStringLiteral("./");
    while (path.endsWith(u'/'))
        path.chop(1);
    return path + u'/';
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

Kind kindOf(const QString &path)
{
    struct stat info {};
    if (::lstat(encoded(path).constData(), &info) != 0)
        return Kind::Missing;
    if (S_ISREG(info.st_mode))
        return Kind::Regular;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

mode_t fileModeFor(const QString &folder)
{
    struct stat info {};
    if (::stat(encoded(folder).constData(), &info) != 0)
        return 0644;
    // The owner always reads and writes; group and others as the folder
    // lets them.
    return (info.st_mode & 0066) | 0600;
}

std::optional<Head> readRegular(const QString &path, qint64 maxBytes)
{
    // O_NONBLOCK: a pipe swapped in after any check still cannot hang us.
    Fd file(::open(encoded(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    Head head;
    head.bytes.resize(maxBytes);
    qint64 got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(file.fd, head.bytes.data() + got, static_cast<size_t>(maxBytes - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    head.bytes.truncate(got);
    head.cut = got == maxBytes && info.st_size > maxBytes;
    return head;
}

bool createIfMissing(const QString &path, mode_t mode)
{
    // O_EXCL fails on anything standing there, a dangling link included,
    // so a planted link never makes us create its target.
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
        ::fchmod(fd, mode);
        return ::close(fd) == 0;
    }
    return errno == EEXIST && kindOf(path) == Kind::Regular;
}

std::optional<QString> replaceWhole(const QString &path, const QByteArray &bytes, mode_t mode)
{
    // mkstemp creates with O_EXCL: a name planted beside us is never used.
    QByteArray temporary = encoded(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return reason(errno);
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fdatasync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), encoded(path).constData()) != 0)
        error = errno;
    if (error == 0)
        return std::nullopt;
    ::unlink(temporary.constData());
    return reason(error);
}

bool removeEntry(const QString &path)
{
    return ::unlink(encoded(path).constData()) == 0 || errno == ENOENT;
}

void syncFolder(const QString &folder)
{
    const Fd dir(::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

} // namespace recordio
