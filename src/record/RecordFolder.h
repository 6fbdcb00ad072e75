#pragma once

#include "record/Fd.h"
#include "record/RecordOutcome.h"

#include <QByteArray>

#include <initializer_list>
#include <optional>
#include <sys/types.h>

// A record folder that other users may write too, opened once: every file
// step goes through the folder's descriptor, no open follows a symbolic
// link, and only regular files with a single name are read, appended to or
// locked, so a link, hard link, pipe, device or huge file planted there
// never sends a step elsewhere, blocks it or fills its memory.
namespace recordio {

enum class Kind { Missing, Regular, Folder, Other };

// What stands at a name that is no single regular file, though no system
// call failed: told beside errno, never as one.
enum class Misfit : quint8 { None, NotRegular, HardLinked };

struct Opened
{
    Fd fd;
    int error = 0; // errno
    Misfit misfit = Misfit::None;
    bool created = false;
    bool ok() const { return error == 0 && misfit == Misfit::None; }
};

// At most some bytes from the start of a regular file. error is ENOENT for
// a missing file; any other error means the file is there but unreadable.
struct Head
{
    QByteArray bytes;
    bool cut = false; // the file held more
    int error = 0;
    Misfit misfit = Misfit::None;
};

class RecordFolder
{
public:
    // How a missing folder is made: a chosen one never (a share that is not
    // mounted, or a name mistyped, must not become a local folder); the
    // machine's class folder only as its last part; the per-user one with
    // its parents.
    enum class Making { Never, LastPartOnly, WithParents };

    // path: the folder as the system names it (a link to a folder is
    // followed: a teacher may point at a share that way).
    explicit RecordFolder(QByteArray path);

    const QByteArray &path() const { return m_path; }
    QByteArray file(const char *name) const { return m_path + '/' + name; }

    // Whether it must be made first.
    bool isMissing() const;
    // Makes it when missing; 0 or errno.
    int make(Making making) const;
    // Opens it for the steps that follow; 0 or errno (ENOTDIR: not a folder).
    int open();
    bool isOpen() const { return m_fd.isOpen(); }
    int fd() const { return m_fd.get(); }
    // Whether this process may make and replace files in it; 0 or errno.
    int writable() const;

    // A file of the folder, checked on the descriptor to be one regular
    // file with one name. With create, a missing file is made first
    // (exclusively: a dangling link never makes us create its target) with
    // exactly that mode.
    Opened openFile(const char *name, int access, std::optional<mode_t> create = std::nullopt) const;
    Head read(const char *name, qint64 maxBytes) const;
    // What stands at a name, the name itself (a link is not followed).
    Kind kindOf(const char *name) const;
    // Creates an empty file where nothing stands; an existing regular file
    // is left untouched. Whether a file that can hold a record is there.
    bool createIfMissing(const char *name) const;
    // Removes a file, a link or a pipe, never a folder; 0 or errno.
    int remove(const char *name) const;
    // Makes the renames durable, so a power cut cannot undo one. 0 or errno.
    int sync() const;
    // Removes what staging left behind for these files when a program was
    // killed half-way. Only for a holder of the record lock.
    void removeLeftoverStaging(std::initializer_list<const char *> names) const;

    // Mode for files made here: readable and writable by whom the folder
    // is, whatever the umask, so every user who shares it reads what
    // another wrote.
    mode_t fileMode() const { return m_fileMode; }

private:
    QByteArray m_path; // without a trailing '/', except for the root
    Fd m_fd;
    mode_t m_fileMode = 0600;
};

// Whether a read found nothing that can hold a record: no file, or
// something planted in its place (a link, a pipe, a second name of another
// file), which is replaced, never followed. A folder, or a real file that
// cannot be read (permissions, a failing disk), is not "no record".
bool holdsNoRecord(const Head &head);

// Writes all the bytes at the descriptor's position; 0, or the errno of
// why they did not all go (a full disk gives ENOSPC).
int writeAll(int fd, const QByteArray &bytes);

} // namespace recordio
