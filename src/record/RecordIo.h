#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// File steps in a record folder that other users may write too. No open
// follows a symbolic link and only regular files are read or replaced, so
// a link, pipe, device or huge file planted there never sends the game
// elsewhere, blocks it or fills its memory.
namespace recordio {

// folder with exactly one trailing '/' ("./" for the empty text).
QString withOneSlash(const QString &folder);

// What stands at a path, the path itself (a link is not followed).
enum class Kind { Missing, Regular, Folder, Other };
Kind kindOf(const QString &path);

// Mode for a file created in folder: readable and writable by whom the
// folder is, whatever the creator's umask, so every user who shares the
// folder reads what another wrote.
mode_t fileModeFor(const QString &folder);

// At most maxBytes from the start of a regular file; nothing for a missing,
// unreadable or non-regular one. cut tells that the file held more.
struct Head
{
    QByteArray bytes;
    bool cut = false;
};
std::optional<Head> readRegular(const QString &path, qint64 maxBytes);

// Creates an empty file where nothing stands. True when a regular file
// stands there afterwards (an existing one is left untouched).
bool createIfMissing(const QString &path, mode_t mode);

// Replaces path whole: the bytes go to a new file beside it, synced, then
// renamed over it, so readers see the old content or the new, never part.
// A link standing at path is replaced, never followed. On failure returns
// the system's reason and leaves path as it was.
std::optional<QString> replaceWhole(const QString &path, const QByteArray &bytes, mode_t mode);

// Writes all the bytes at the descriptor's position; false with errno set
// when they did not all go (a full disk gives ENOSPC).
bool writeAll(int fd, const QByteArray &bytes);

// Removes a file, a link or a pipe; never a folder.
bool removeEntry(const QString &path);

// Makes the renames in folder durable, so a power cut cannot undo one.
void syncFolder(const QString &folder);

// The system's text for an errno value.
QString reason(int error);

} // namespace recordio
