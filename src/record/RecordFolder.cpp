#include "record/RecordFolder.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordio {
namespace {

constexpr int kSafeFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path.isEmpty() ? QByteArray(".") : path;
}

// A staged copy of a file: its name, a dot and six letters or digits.
bool isStagingOf(const char *entry, const char *name)
{
    const std::size_t length = std::strlen(name);
    if (std::strncmp(entry, name, length) != 0 || entry[length] != '.' || std::strlen(entry) != length + 7)
        return false;
    for (const char *c = entry + length + 1; *c; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    return true;
}

} // namespace

RecordFolder::RecordFolder(QByteArray path)
    : m_path(withoutTrailingSlashes(std::move(path)))
{
}

bool RecordFolder::isMissing() const
{
    struct stat info {};
    return ::stat(m_path.constData(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

int RecordFolder::make(Making making) const
{
    if (making == Making::Never)
        return ENOENT;
    if (making == Making::WithParents) {
        // Each missing part in turn, as `mkdir -p` does.
        for (qsizetype slash = m_path.indexOf('/', 1); slash > 0; slash = m_path.indexOf('/', slash + 1)) {
            if (::mkdir(m_path.left(slash).constData(), 0755) != 0 && errno != EEXIST)
                return errno;
        }
    }
    // A class folder is shared by its group, as its parent decides.
    const mode_t mode = making == Making::WithParents ? 0755 : 0775;
    return ::mkdir(m_path.constData(), mode) == 0 || errno == EEXIST ? 0 : errno;
}

int RecordFolder::open()
{
    m_fd = Fd(::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!m_fd.isOpen() || ::fstat(m_fd.get(), &info) != 0)
        return errno;
    // The owner always reads and writes; group and others as the folder
    // lets them.
    m_fileMode = (info.st_mode & 0066) | 0600;
    return 0;
}

int RecordFolder::writable() const
{
    // The effective ids: the keeper may hold the folder's group.
    return ::faccessat(m_fd.get(), ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

Opened RecordFolder::openFile(const char *name, int access, std::optional<mode_t> create) const
{
    Opened opened;
    if (create) {
        opened.fd = Fd(::openat(m_fd.get(), name, access | O_CREAT | O_EXCL | kSafeFlags, *create));
        opened.created = opened.fd.isOpen();
        if (!opened.created && errno != EEXIST) {
            opened.error = errno;
            return opened;
        }
    }
    if (!opened.fd.isOpen())
        opened.fd = Fd(::openat(m_fd.get(), name, access | kSafeFlags));
    struct stat info {};
    if (!opened.fd.isOpen())
        opened.error = errno;
    else if (::fstat(opened.fd.get(), &info) != 0)
        opened.error = errno;
    else if (S_ISDIR(info.st_mode))
        opened.error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        opened.misfit = Misfit::NotRegular;
    else if (info.st_nlink > 1)
        opened.misfit = Misfit::HardLinked;
    else if (opened.created && (info.st_mode & 07777) != *create)
        (void)::fchmod(opened.fd.get(), *create); // a umask narrowed it; only a file we made
    if (!opened.ok())
        opened.fd.close();
    return opened;
}

Head RecordFolder::read(const char *name, qint64 maxBytes) const
{
    Head head;
    Opened file = openFile(name, O_RDONLY);
    struct stat info {};
    if (!file.ok() || ::fstat(file.fd.get(), &info) != 0) {
        head.error = file.ok() ? errno : file.error;
        head.misfit = file.misfit;
        return head;
    }
    head.bytes.resize(maxBytes);
    qint64 got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(file.fd.get(), head.bytes.data() + got, static_cast<size_t>(maxBytes - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            head.error = errno;
            head.bytes.clear();
            return head;
        }
        if (n == 0)
            break;
        got += n;
    }
    head.bytes.truncate(got);
    head.cut = got == maxBytes && info.st_size > maxBytes;
    return head;
}

Kind RecordFolder::kindOf(const char *name) const
{
    struct stat info {};
    if (::fstatat(m_fd.get(), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Missing;
    if (S_ISREG(info.st_mode))
        return Kind::Regular;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

bool RecordFolder::createIfMissing(const char *name) const
{
    Opened file = openFile(name, O_RDONLY, m_fileMode);
    return file.ok() && file.fd.close() == 0;
}

int RecordFolder::remove(const char *name) const
{
    return ::unlinkat(m_fd.get(), name, 0) == 0 || errno == ENOENT ? 0 : errno;
}

int RecordFolder::sync() const { return ::fsync(m_fd.get()) == 0 ? 0 : errno; }

void RecordFolder::removeLeftoverStaging(std::initializer_list<const char *> names) const
{
    // Names only: nothing in the folder is looked at, let alone followed.
    DIR *dir = ::fdopendir(::fcntl(m_fd.get(), F_DUPFD_CLOEXEC, 0));
    if (!dir)
        return;
    ::rewinddir(dir);
    QList<QByteArray> leftovers;
    while (const dirent *entry = ::readdir(dir)) {
        for (const char *name : names)
            if (isStagingOf(entry->d_name, name))
                leftovers.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray &name : leftovers)
        remove(name.constData());
}

bool holdsNoRecord(const Head &head)
{
    return head.misfit != Misfit::None || head.error == 0 || head.error == ENOENT || head.error == ELOOP
           || head.error == ENXIO;
}

int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        data += n;
        left -= n;
    }
    return 0;
}

} // namespace recordio
