#include "record/Register.h"

#include "record/RecordFiles.h"
#include "record/RecordIo.h"
#include "record/RecordLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray csvField(QString text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        text.prepend(u'\'');
    const bool quoted = text.contains(u';') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')
                        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (quoted)
        text = u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return text.toUtf8();
}

QString failure(const QString &path, const QString &why)
{
    return QStringLiteral("Non è stato possibile aggiungere questa partita al registro %1: %2.")
        .arg(QDir::toNativeSeparators(path), why);
}

// Writes all of bytes at the end of the file, or puts the file back to the
// length it had.
bool appendWhole(int fd, const QByteArray &bytes)
{
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return false;
    if (!recordio::writeAll(fd, bytes)) {
        const int error = errno;
        (void)!::ftruncate(fd, before.st_size);
        errno = error;
        return false;
    }
    return ::fdatasync(fd) == 0;
}

} // namespace

QByteArray registerHeader() { return QByteArrayLiteral("Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n"); }

QByteArray registerLine(const RegisterEntry &entry)
{
    const QByteArray fields[] = {
        entry.endedAt.toString(QStringLiteral("yyyy-MM-dd")).toUtf8(),
        entry.endedAt.toString(QStringLiteral("HH:mm:ss")).toUtf8(),
        csvField(entry.name),
        csvField(entry.right),
        csvField(entry.wrong),
        csvField(entry.total),
        entry.newRecord ? QByteArray("sì") : QByteArray("no"),
    };
    QByteArray line;
    for (const QByteArray &field : fields)
        line += field + ';';
    line.chop(1);
    return line + "\r\n";
}

std::optional<QString> appendToRegister(const QString &folderText, const RegisterEntry &entry)
{
    const QString folder = recordio::withOneSlash(folderText);
    const QString path = folder + QLatin1StringView(kRegisterFileName);
    const QByteArray encoded = QFile::encodeName(path);
    const mode_t mode = recordio::fileModeFor(folder);
    // Never through a link, never blocking on a pipe; a new file is made
    // as readable as the folder, so the teacher and the class can open it.
    int fd = ::open(encoded.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd >= 0)
        ::fchmod(fd, mode);
    else if (errno == EEXIST)
        fd = ::open(encoded.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ELOOP)
            return failure(path, QStringLiteral("al suo posto c'è un collegamento"));
        if (error == EISDIR)
            return failure(path, QStringLiteral("al suo posto c'è una cartella"));
        return failure(path, recordio::reason(error));
    }
    struct stat info {};
    std::optional<QString> result;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        result = failure(path, QStringLiteral("non è un file normale"));
    else if (!appendWhole(fd, (info.st_size == 0 ? registerHeader() : QByteArray()) + registerLine(entry)))
        result = failure(path, recordio::reason(errno));
    if (::close(fd) != 0 && !result)
        result = failure(path, recordio::reason(errno));
    return result;
}

QString registerUnreachable(const QString &folder)
{
    return failure(recordio::withOneSlash(folder) + QLatin1StringView(kRegisterFileName),
                   QStringLiteral("la cartella è occupata da un'altra copia del programma o non si può usare"));
}

std::optional<QString> addToRegister(const QString &folderText, const RegisterEntry &entry)
{
    const QString folder = recordio::withOneSlash(folderText);
    RecordLock lock(folder);
    if (lock.acquire(kRecordLockWaitMs) != RecordLock::Result::Held)
        return registerUnreachable(folder);
    return appendToRegister(folder, entry);
}
