#include "record/RecordIo.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordio {
namespace {

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

constexpr int kSafeFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// The staged copy of a file: its name, a dot and six characters.
constexpr auto kStagingSuffix = ".XXXXXX";

} // namespace

Fd &Fd::operator=(Fd &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

Fd::~Fd() { close(); }

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int Fd::close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(release());
    return result == 0 ? 0 : errno;
}

Opened openFile(const QString &path, int accessFlags, std::optional<mode_t> create)
{
    Opened opened;
    const QByteArray name = encoded(path);
    if (create) {
        opened.fd = Fd(::open(name.constData(), accessFlags | O_CREAT | O_EXCL | kSafeFlags, *create));
        if (opened.fd.isOpen())
            ::fchmod(opened.fd.get(), *create);
        else if (errno != EEXIST) {
            opened.error = errno;
            return opened;
        }
    }
    if (!opened.fd.isOpen())
        opened.fd = Fd(::open(name.constData(), accessFlags | kSafeFlags));
    struct stat info {};
    if (!opened.fd.isOpen())
        opened.error = errno;
    else if (::fstat(opened.fd.get(), &info) != 0)
        opened.error = errno;
    else if (S_ISDIR(info.st_mode))
        opened.error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        opened.error = kNotRegular;
    else if (info.st_nlink > 1)
        opened.error = kHardLinked;
    if (opened.error != 0)
        opened.fd.close();
    return opened;
}

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

QString reason(int error)
{
    switch (error) {
    case kNotRegular: return QStringLiteral("al suo posto non c'è un file normale");
    case kHardLinked: return QStringLiteral("il file ha anche un altro nome (un collegamento fisico)");
    case ELOOP: return QStringLiteral("al suo posto c'è un collegamento");
    case EISDIR: return QStringLiteral("al suo posto c'è una cartella");
    // The system's own words follow the machine's language, often English
    // on a school's machines: the usual causes are said in Italian.
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case ENOENT: return QStringLiteral("non esiste");
    case EIO: return QStringLiteral("errore del disco durante la lettura o la scrittura");
    case ENOSPC: return QStringLiteral("spazio su disco esaurito");
    case EDQUOT: return QStringLiteral("spazio concesso sul disco esaurito");
    case EFBIG: return QStringLiteral("file troppo grande");
    case EROFS: return QStringLiteral("il disco si può solo leggere");
    case ENOTCONN:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT: return QStringLiteral("la cartella di rete non risponde o non è più collegata");
    case ENOTDIR: return QStringLiteral("una parte del percorso non è una cartella");
    case EWOULDBLOCK: return QStringLiteral("occupato da un altro programma");
    default: return QStringLiteral("errore di sistema %1: %2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

Kind kindOf(const QString &path)
{
    struct stat info {};
    if (::fstatat(AT_FDCWD, encoded(path).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Missing;
    if (S_ISREG(info.st_mode))
        return Kind::Regular;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

mode_t fileModeFor(const QString &folder)
{
    // The folder itself may be a link the teacher made on purpose (to a
    // share, say): its own mode is the target's.
    struct stat info {};
    if (::stat(encoded(folder).constData(), &info) != 0)
        return 0644;
    // The owner always reads and writes; group and others as the folder
    // lets them.
    return (info.st_mode & 0066) | 0600;
}

Head readRegular(const QString &path, qint64 maxBytes)
{
    Head head;
    Opened file = openFile(path, O_RDONLY);
    struct stat info {};
    if (file.error != 0 || ::fstat(file.fd.get(), &info) != 0) {
        head.error = file.error != 0 ? file.error : errno;
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

bool holdsNoRecord(int error)
{
    return error == 0 || error == ENOENT || error == ELOOP || error == ENXIO || error == kNotRegular
           || error == kHardLinked;
}

int createIfMissing(const QString &path, mode_t mode)
{
    Opened file = openFile(path, O_RDONLY, mode);
    return file.error != 0 ? file.error : file.fd.close();
}

Staged::Staged(const QString &path, const QByteArray &bytes, mode_t mode)
    : m_path(path)
    , m_temporary(encoded(path) + kStagingSuffix)
{
    // mkostemp creates with O_EXCL: a name planted beside us is never used.
    Fd file(::mkostemp(m_temporary.data(), O_CLOEXEC));
    int error = file.isOpen() ? 0 : errno;
    if (!file.isOpen())
        m_temporary.clear();
    else if (::fchmod(file.get(), mode) != 0 || !writeAll(file.get(), bytes) || ::fdatasync(file.get()) != 0)
        error = errno;
    if (const int closeError = file.close(); error == 0)
        error = closeError;
    if (error != 0)
        m_failure = reason(error);
}

Staged::~Staged()
{
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

std::optional<QString> Staged::putInPlace()
{
    if (m_failure)
        return m_failure;
    if (::rename(m_temporary.constData(), encoded(m_path).constData()) != 0)
        return reason(errno);
    m_temporary.clear();
    return std::nullopt;
}

std::optional<QString> replaceWhole(const QString &path, const QByteArray &bytes, mode_t mode)
{
    Staged staged(path, bytes, mode);
    return staged.putInPlace();
}

std::optional<QString> replaceable(const QString &path)
{
    struct stat info {};
    if (::fstatat(AT_FDCWD, encoded(path).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return reason(EISDIR);
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
        return QStringLiteral("il file è protetto dalla scrittura");
    return std::nullopt;
}

bool removeEntry(const QString &path)
{
    return ::unlink(encoded(path).constData()) == 0 || errno == ENOENT;
}

void removeLeftoverStaging(const QString &folder, const QStringList &fileNames)
{
    QStringList escaped;
    for (const QString &name : fileNames)
        escaped << QRegularExpression::escape(name);
    const QRegularExpression staging(QStringLiteral("^(%1)\\.[A-Za-z0-9]{6}$").arg(escaped.join(u'|')));
    // Names only: nothing in the folder is looked at, let alone followed.
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir)
        return;
    QStringList leftovers;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (staging.match(name).hasMatch())
            leftovers << name;
    }
    ::closedir(dir);
    for (const QString &name : leftovers)
        removeEntry(folder + name);
}

int syncFolder(const QString &folder)
{
    Fd dir(::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isOpen() || ::fsync(dir.get()) != 0)
        return errno;
    return dir.close();
}

} // namespace recordio
