#pragma once

#include "state/GameState.h"

#include <QString>
#include <QStringView>
#include <optional>

// The best score and its holder, kept in two one-line text files in the
// record folder: the text, then CR LF; a never-written file is empty.

inline constexpr auto kScoreFileName = "esprle.txt";
inline constexpr auto kNameFileName = "nesprle.txt";

// Longest text a record file contributes to the window. A larger file is
// read up to this many bytes, so start-up never hangs on a huge file.
inline constexpr qint64 kMaxRecordBytes = 4096;

// The per-user record folder ($XDG_DATA_HOME/tarvimonda/, or
// ~/.local/share/tarvimonda/), created when missing, with exactly one
// trailing separator.
QString defaultRecordFolder();

// folder with exactly one trailing '/', created when missing.
QString prepareFolder(const QString &folder);

// Decodes record bytes: valid UTF-8 as UTF-8, anything else as Windows-1252
// (a file written on Windows). Control characters other than CR, LF and TAB
// become U+FFFD so a damaged file shows as such; nothing else is stripped.
QString decodeRecordText(const QByteArray &bytes);

// The same for the first bytes of a longer file: a UTF-8 sequence cut at the
// end does not make the whole text read as Windows-1252.
QString decodeRecordPrefix(const QByteArray &bytes);

// Reads the whole file (at most kMaxRecordBytes), decoded; a file that is
// missing, unreadable, a folder or not a regular file (a pipe would block)
// gives the empty text.
QString Leggifiletxt(const QString &nomefile, GameState &state);

// Creates each of the two files empty when missing, score file first; an
// existing one is left unchanged. Returns false when a file could not be
// created or is not a regular file.
bool prepareRecordFiles(const QString &winDir, GameState &state);

struct RecordText
{
    QString score; // for lblpunti, as read (line end included)
    QString name;  // for lblnome, as read
};
RecordText loadRecord(const QString &winDir, GameState &state);

// How long a save waits for another copy of the program to finish its own.
inline constexpr int kRecordLockWaitMs = 5000;
inline constexpr auto kRecordLockName = "record.lock";

// Writes score then name, each as its text and CR LF, each replaced whole and
// atomically, under a lock file so two programs saving at once leave a
// matching pair. Returns an Italian explanation on failure, nothing on
// success. After a failure both files hold the old record (a committed score
// is put back when the name cannot be written).
std::optional<QString> saveRecord(const QString &winDir, const QString &score, const QString &name,
                                  GameState &state);
// The same with the wait for the lock given in milliseconds.
std::optional<QString> saveRecord(const QString &winDir, const QString &score, const QString &name,
                                  GameState &state, int lockWaitMs);
