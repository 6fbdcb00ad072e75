#include "record/Register.h"

#include "record/RecordFolder.h"
#include "record/RecordNames.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using record::Cause;
using record::Happened;
using record::Outcome;

namespace {

// Writes all of bytes at the end of the file, or puts the file back to the
// length it had; 0 or why the bytes did not go. Should that too fail, the
// part written is a last line cut short, which the next line replaces.
int appendWhole(int fd, off_t size, const QByteArray &bytes)
{
    const int error = recordio::writeAll(fd, bytes);
    if (error != 0 && ::ftruncate(fd, size) != 0)
        return error;
    return error;
}

// Where the line goes and what goes before it: the header in an empty
// file; after a last line without its line end, a line end, or nothing
// where that line is cut short inside quotes (it is then cut off).
struct Placement
{
    off_t at = 0;
    QByteArray before;
};

Placement placementIn(int fd, off_t size)
{
    if (size == 0)
        return {0, registerHeader()};
    // The last line's tail: a line is never longer than this.
    const off_t from = std::max<off_t>(0, size - off_t(kMaxRegisterLineBytes) - 2);
    QByteArray tail(qsizetype(size - from), '\0');
    if (::pread(fd, tail.data(), size_t(tail.size()), from) != tail.size() || tail.endsWith('\n'))
        return {size, {}};
    const qsizetype lineStart = tail.lastIndexOf('\n') + 1;
    if (tail.sliced(lineStart).count('"') % 2 == 1)
        return {from + off_t(lineStart), {}};
    return {size, "\r\n"};
}

} // namespace

namespace {

Outcome registerRoom(const recordio::RecordFolder &folder, qint64 maxBytes)
{
    struct stat info {};
    struct statvfs disk {};
    const bool full = (::fstatat(folder.fd(), kRegisterFileName, &info, AT_SYMLINK_NOFOLLOW) == 0 && info.st_size >= maxBytes);
    if (full)
        return Outcome::failed(Cause::RegisterFull, kRegisterFileName, EFBIG);
    if (::fstatvfs(folder.fd(), &disk) == 0 && qint64(disk.f_bavail) * qint64(disk.f_frsize) < kRoomForTheRecord)
        return Outcome::failed(Cause::RegisterFull, kRegisterFileName, ENOSPC);
    return {};
}

// The register opened for a line; never through a link or into a second
// name of another file, never blocking on a pipe. With a mode, a missing
// file is made that way; without, a missing file is no failure.
Outcome openRegister(const recordio::RecordFolder &folder, std::optional<mode_t> mode, recordio::Opened &file)
{
    file = folder.openFile(kRegisterFileName, O_RDWR | O_APPEND, mode);
    if (!mode && file.error == ENOENT)
        file.error = 0;
    if (file.misfit != recordio::Misfit::None)
        return Outcome::failed(Cause::OtherInPlace, kRegisterFileName);
    if (file.error != 0)
        return Outcome::failed(file.error == EISDIR ? Cause::FolderInPlace : Cause::WriteFailed, kRegisterFileName,
                               file.error);
    return {};
}

} // namespace

Outcome registerReady(const recordio::RecordFolder &folder, qint64 maxBytes)
{
    if (Outcome room = registerRoom(folder, maxBytes); room.happened == Happened::Failed)
        return room;
    recordio::Opened file;
    return openRegister(folder, std::nullopt, file);
}

Outcome appendToRegister(const recordio::RecordFolder &folder, const RegisterEntry &entry, qint64 maxBytes)
{
    const QByteArray line = registerLine(entry);
    if (Outcome room = registerRoom(folder, maxBytes - line.size()); room.happened == Happened::Failed)
        return room;
    // A new file is made as readable as the folder, so the teacher can
    // open it.
    recordio::Opened file;
    if (Outcome refused = openRegister(folder, folder.fileMode(), file); refused.happened == Happened::Failed)
        return refused;
    struct stat info {};
    if (::fstat(file.fd.get(), &info) != 0)
        return Outcome::failed(Cause::WriteFailed, kRegisterFileName, errno);
    const Placement place = placementIn(file.fd.get(), info.st_size);
    if (place.at < info.st_size && ::ftruncate(file.fd.get(), place.at) != 0)
        return Outcome::failed(Cause::WriteFailed, kRegisterFileName, errno);
    if (const int error = appendWhole(file.fd.get(), place.at, place.before + line))
        return Outcome::failed(Cause::WriteFailed, kRegisterFileName, error);
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
