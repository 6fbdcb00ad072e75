#include "record/Register.h"

#include "record/RecordFolder.h"
#include "record/RecordNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using record::Cause;
using record::Happened;
using record::Outcome;

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

// Writes all of bytes at the end of the file, or puts the file back to the
// length it had.
bool appendWhole(int fd, off_t size, const QByteArray &bytes)
{
    if (!recordio::writeAll(fd, bytes)) {
        const int error = errno;
        (void)!::ftruncate(fd, size);
        errno = error;
        return false;
    }
    return true;
}

// What goes before the line: the header in an empty file, a line end after
// a last line that has none.
QByteArray before(int fd, off_t size)
{
    if (size == 0)
        return registerHeader();
    char last = 0;
    return ::pread(fd, &last, 1, size - 1) == 1 && last != '\n' ? QByteArray("\r\n") : QByteArray();
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

Outcome appendToRegister(const recordio::RecordFolder &folder, const RegisterEntry &entry)
{
    // Never through a link or into a second name of another file, never
    // blocking on a pipe; a new file is made as readable as the folder, so
    // the teacher can open it.
    recordio::Opened file = folder.openFile(kRegisterFileName, O_RDWR | O_APPEND, folder.fileMode());
    struct stat info {};
    if (file.error == 0 && ::fstat(file.fd.get(), &info) != 0)
        file.error = errno;
    if (file.error != 0)
        return Outcome::failed(file.error == EISDIR ? Cause::FolderInPlace : Cause::WriteFailed, kRegisterFileName,
                               file.error);
    if (!appendWhole(file.fd.get(), info.st_size, before(file.fd.get(), info.st_size) + registerLine(entry)))
        return Outcome::failed(Cause::WriteFailed, kRegisterFileName, errno);
    // The line is in the file now: a disk that does not confirm it is
    // said as such, never as a line that is missing.
    int error = ::fdatasync(file.fd.get()) == 0 ? 0 : errno;
    if (const int closeError = file.fd.close(); error == 0)
        error = closeError;
    Outcome outcome;
    outcome.happened = error == 0 ? Happened::Added : Happened::Unconfirmed;
    if (error != 0) {
        outcome.cause = Cause::NotSynced;
        outcome.file = kRegisterFileName;
        outcome.error = error;
    }
    return outcome;
}
