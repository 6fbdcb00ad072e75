#pragma once

#include "state/GameState.h"

#include <QString>
#include <QStringView>
#include <functional>
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

// A folder chosen by the teacher: with one trailing '/', created only when
// just its last part is missing (a share that is not mounted must not turn
// into a folder on the local disk).
QString prepareChosenFolder(const QString &folder);

// Why the record cannot be kept in folder (missing, not a folder, not
// writable), in Italian and naming the folder; nothing when it can.
std::optional<QString> recordFolderProblem(const QString &folder);

// Encodes a record line's text as the game has always written it, in
// Windows-1252, so other copies and older versions read it byte for byte;
// only text Windows-1252 cannot hold (or would read back as other text) is
// written in UTF-8, so nothing is lost.
QByteArray encodeRecordText(const QString &text);

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

// How long a save waits for other copies of the program to finish theirs:
// enough for a whole class ending at once on a slow network share.
inline constexpr int kRecordLockWaitMs = 60'000;
inline constexpr auto kRecordLockName = "record.lock";

// Writes score then name, each as its text and CR LF, each replaced whole and
// atomically, under a lock so two programs saving at once leave a matching
// pair. Returns an Italian explanation on failure, nothing on success. After
// a failure both files hold the old record (a committed score is put back
// when the name cannot be written).
std::optional<QString> saveRecord(const QString &winDir, const QString &score, const QString &name,
                                  GameState &state, int lockWaitMs = kRecordLockWaitMs);

// The end of a game that beat the record it was shown: under the lock, the
// record on disk as it is now is read and the new one written only if
// beats(onDisk), so a record another game set meanwhile is never lost.
struct SaveOutcome
{
    enum class Kind { Saved, Beaten, Failed };
    Kind kind = Kind::Failed;
    QString failure;   // Failed: why, in Italian
    RecordText onDisk; // Beaten: the record that stands
};
// afterwards runs still under the lock once the record is decided (told
// whether a new record was written), so what it adds goes in step with it.
SaveOutcome saveRecordIfBetter(const QString &winDir, const QString &score, const QString &name,
                               const std::function<bool(const RecordText &onDisk)> &beats, GameState &state,
                               int lockWaitMs = kRecordLockWaitMs,
                               const std::function<void(bool newRecord)> &afterwards = {});
