#pragma once

#include <QByteArray>
#include <QString>

// What a step over a record folder came to, as the record keeper tells it:
// what happened, which file, the system's error number, and the record
// pair. No sentence is made here: the window words every outcome for the
// pupil and the teacher in one place.
namespace record {


// The first part of a request the keeper found wrong (BadRequest).
enum class RequestPart : quint8 {
    None, Size, Header, Fields, Step, Folder, Make, Wait, Save, Register, Name, Score, Wrong, Total,
};

// The record as its two files hold it, decoded, line ends included.
struct Pair
{
    QString score;
    QString name;
    bool operator==(const Pair &) const = default;
};

enum class Happened : quint8 {
    Nothing,     // nothing to do: no record beaten, no register
    Read,        // the pair as it stands (a start, a check)
    Saved,       // the new record is in place, confirmed on the disk
    Beaten,      // another game's record stands, as good or better
    Added,       // the game's line is in the register, confirmed
    Unconfirmed, // written, but the disk did not confirm it all: it stands,
                 // and a save is completed at the next start
    Failed,      // nothing was written
};

enum class Cause : quint8 {
    None,
    // The folder (file: its path).
    FolderMissing,     // not there, and it could not be made
    NotAFolder,        // something else stands at its path
    FolderDenied,      // this account may not use it (error)
    NotInGroup,        // ...because it is not in the folder's group (group)
    GroupNotActive,    // ...in the group, but not in this session yet (group)
    ShareNotMounted,   // the share it lies on is not mounted (file: the mount point)
    FolderUnreachable, // any other error reaching it (error)
    // One file of the folder (file: its name).
    Unreadable,    // it is there but cannot be read (error)
    FolderInPlace, // a folder stands in its place
    OtherInPlace,  // a pipe, a device, or a second name of another file stands there
    Protected,     // nobody may write it: left for the teacher
    WriteFailed,   // it could not be written (error)
    NotSynced,     // written, not confirmed by the disk (error)
    PendingKept,   // a save cut short could not be completed (error)
    // The lock (file: the lock file's name).
    LockBusy,     // held by another for the whole wait (holder)
    LockUnusable, // the lock file cannot be used (error)
    // The keeper and the window.
    BadRequest,    // the keeper refused the request (refused: the part)
    NoAnswer,      // the folder did not answer within the window's limit
    CutShort,      // the folder stopped answering during a write
    KeeperMissing, // the keeper could not be started (error)
    KeeperFailed,  // the keeper ended without an answer
    RootRefused,   // an administrator's game never writes in a class folder
    // The register (file: its name).
    RegisterOff,  // the machine's configuration keeps no register there
    RegisterFull, // at its largest (EFBIG), or the disk nearly full (ENOSPC)
};

// Who holds the lock, as far as this machine can see.
struct Holder
{
    qint64 pid = 0; // 0: not on this machine (another computer of a lab)
    QString program;
    QString user;
    bool operator==(const Holder &) const = default;
};

struct Outcome
{
    Happened happened = Happened::Nothing;
    Cause cause = Cause::None; // with Read: read, yet something to tell
    QByteArray file;           // the file or folder concerned, as the system names it
    int error = 0;             // errno, or 0
    Holder holder;             // LockBusy
    QString group;             // NotInGroup, GroupNotActive
    Pair pair;                 // Read: the record shown; Beaten: the one that stands
    RequestPart refused = RequestPart::None; // BadRequest
    bool operator==(const Outcome &) const = default;

    static Outcome failed(Cause cause, const QByteArray &file = {}, int error = 0)
    {
        Outcome outcome;
        outcome.happened = Happened::Failed;
        outcome.cause = cause;
        outcome.file = file;
        outcome.error = error;
        return outcome;
    }
};

// The end of a game: the record, then the register's line.
struct GameEndOutcome
{
    Outcome record;
    Outcome registerLine;
    bool operator==(const GameEndOutcome &) const = default;
};

} // namespace record
