#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

// File steps in a record folder that other users may write too. No open
// follows a symbolic link, no stat follows one, and only regular files with
// a single name are read, appended to or locked, so a link, hard link,
// pipe, device or huge file planted there never sends the game elsewhere,
// blocks it or fills its memory.
namespace recordio {

// Errors of our own beside errno values, for what stands in a file's place.
inline constexpr int kNotRegular = -1;  // a pipe, socket or device (a folder gives EISDIR)
inline constexpr int kHardLinked = -2;  // a regular file with another name too

// A descriptor that closes itself.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept;
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd();

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release();
    // Closes now; errno on failure (a network share may report a lost write
    // only here), 0 otherwise.
    int close();

private:
    int m_fd = -1;
};

// A file of the folder, opened without following a link and without
// blocking, checked on the descriptor to be one regular file with one name.
// With create, a missing file is made first (exclusively: a dangling link
// never makes us create its target) with the given mode, whatever the umask.
struct Opened
{
    Fd fd;
    int error = 0; // errno, kNotRegular or kHardLinked
};
Opened openFile(const QString &path, int accessFlags, std::optional<mode_t> create = std::nullopt);

// folder with exactly one trailing '/' ("./" for the empty text).
QString withOneSlash(const QString &folder);

// What stands at a path, the path itself (a link is not followed).
enum class Kind { Missing, Regular, Folder, Other };
Kind kindOf(const QString &path);

// Mode for a file created in folder: readable and writable by whom the
// folder is, whatever the creator's umask, so every user who shares the
// folder reads what another wrote.
mode_t fileModeFor(const QString &folder);

// At most maxBytes from the start of a regular file. error is ENOENT for a
// missing file; any other error means the file is there but unreadable.
struct Head
{
    QByteArray bytes;
    bool cut = false; // the file held more
    int error = 0;
};
Head readRegular(const QString &path, qint64 maxBytes);

// Whether a read that failed with error found nothing that can hold a
// record: no file, or something planted in its place (a link, a pipe, a
// second name of another file), which is replaced, never followed. A
// folder, or a real file that cannot be read (permissions, a failing
// disk), is not "no record".
bool holdsNoRecord(int error);

// Creates an empty file where nothing stands; an existing regular file is
// left untouched. 0, or why it cannot be used.
int createIfMissing(const QString &path, mode_t mode);

// A new content for path, written to a file of its own beside it and
// synced, not yet in place. Removed unless put in place.
class Staged
{
public:
    Staged(const QString &path, const QByteArray &bytes, mode_t mode);
    ~Staged();
    Staged(const Staged &) = delete;
    Staged &operator=(const Staged &) = delete;

    // Why it could not be written; nothing when it is ready.
    const std::optional<QString> &failure() const { return m_failure; }
    // Renames it over path: readers see the old content or the new, never
    // part. A link at path is replaced, never followed.
    std::optional<QString> putInPlace();

private:
    QString m_path;
    QByteArray m_temporary;
    std::optional<QString> m_failure;
};

// Stages and puts in place at once.
std::optional<QString> replaceWhole(const QString &path, const QByteArray &bytes, mode_t mode);

// Whether a file may be replaced: not a folder, and not a regular file that
// nobody may write (protected on purpose, by a teacher say). Another
// user's file in a shared folder is replaced as usual.
std::optional<QString> replaceable(const QString &path);

// Writes all the bytes at the descriptor's position; false with errno set
// when they did not all go (a full disk gives ENOSPC).
bool writeAll(int fd, const QByteArray &bytes);

// Removes a file, a link or a pipe; never a folder.
bool removeEntry(const QString &path);

// Removes what staging left behind for these files when a program was
// killed half-way. Only for a holder of the record lock.
void removeLeftoverStaging(const QString &folder, const QStringList &fileNames);

// Makes the renames in folder durable, so a power cut cannot undo one.
// 0, or the errno of the failure.
int syncFolder(const QString &folder);

// The system's text for an errno value, or ours for kNotRegular and
// kHardLinked.
QString reason(int error);

} // namespace recordio
