#include "record/Register.h"

#include "record/RecordFolder.h"
#include "record/RecordNames.h"
#include "record/RecordIo.h"
#include "record/RecordLock.h"
#include "record/WorkGate.h"

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
    return true;
}

} // namespace

QByteArray registerField(const QString &text) { return csvField(text); }

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

std::optional<QString> appendToRegister(const RecordFolder &folder, const RegisterEntry &entry)
{
    const QString path = folder.file(kRegisterFileName);
    // Never through a link or into a second name of another file, never
    // blocking on a pipe; a new file is made as readable as the folder, so
    // the teacher and the class can open it.
    recordio::Opened file = recordio::openFile(path, O_WRONLY | O_APPEND, recordio::fileModeFor(folder.path()));
    struct stat info {};
    if (file.error == 0 && ::fstat(file.fd.get(), &info) != 0)
        file.error = errno;
    if (file.error != 0)
        return failure(path, recordio::reason(file.error));
    const QByteArray line = registerLine(entry);
    if (!appendWhole(file.fd.get(), (info.st_size == 0 ? registerHeader() : QByteArray()) + line))
        return failure(path, recordio::reason(errno));
    // The line is in the file now: a disk that does not confirm it is
    // said as such, never as a line that is missing.
    int error = ::fdatasync(file.fd.get()) == 0 ? 0 : errno;
    if (const int closeError = file.fd.close(); error == 0)
        error = closeError;
    if (error != 0)
        return QStringLiteral("La partita è stata aggiunta al registro %1, ma il disco non ha confermato la scrittura (%2).")
            .arg(QDir::toNativeSeparators(path), recordio::reason(error));
    return std::nullopt;
}

QString registerUnreachable(const RecordFolder &folder, const QString &why)
{
    return failure(folder.file(kRegisterFileName), why);
}

std::optional<QString> addToRegister(const RecordFolder &folder, const RegisterEntry &entry, int lockWaitMs,
                                     WorkGate *gate)
{
    if (const auto why = folder.unusable())
        return registerUnreachable(folder, *why);
    RecordLock lock(folder);
    const RecordLock::Result held = lock.acquire(lockWaitMs, [gate] { return gate && gate->isAbandoned(); });
    if (held == RecordLock::Result::Busy)
        return registerUnreachable(folder, QStringLiteral("un'altra copia del programma tiene occupata la cartella"));
    if (held == RecordLock::Result::Failed)
        return registerUnreachable(folder, lock.failure());
    if (gate && !gate->beginWriting())
        return registerUnreachable(folder, QStringLiteral("la cartella non ha risposto in tempo"));
    return appendToRegister(folder, entry);
}
