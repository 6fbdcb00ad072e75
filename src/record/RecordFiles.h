#pragma once

#include "record/RecordFolder.h"
#include "record/RecordNames.h"

#include <QString>

#include <functional>
#include <optional>

class WorkGate;

// The best score and its holder, kept in two one-line text files in the
// record folder: the text, then CR LF; a never-written file is empty.

struct RecordText
{
    QString score; // for lblpunti, as read (line end included)
    QString name;  // for lblnome, as read
};

// Reads the whole file (at most kMaxRecordBytes), decoded; a file that is
// missing, unreadable, a folder or not a regular file (a pipe would block)
// gives the empty text.
QString Leggifiletxt(const QString &nomefile);

// Completes a save cut short (under the lock), then creates each of the two
// files empty when missing, score file first; an existing one is left
// unchanged. Returns false when that could not all be done.
bool prepareRecordFiles(const RecordFolder &folder, int lockWaitMs = kRecordLockWaitMs, WorkGate *gate = nullptr);

// The pair as it stands. Only a missing or empty file reads as "no
// record"; failure says why a file that is there could not be read.
struct ReadRecord
{
    RecordText text;
    std::optional<QString> failure;
};
ReadRecord readRecord(const RecordFolder &folder);
RecordText loadRecord(const RecordFolder &folder);

// What a game shows at start: the folder made when missing, a save cut
// short completed, both files prepared, and the pair read under the shared
// lock, so it is never one game's score with another's name. problem: why
// the record cannot be kept there, for the teacher.
struct StartRecord
{
    RecordText shown;
    std::optional<QString> problem;
};
StartRecord startRecord(const RecordFolder &folder, int lockWaitMs = kRecordLockWaitMs, WorkGate *gate = nullptr);

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
// A gate the window gave up on stops the wait for the lock and any write.
SaveOutcome saveRecordIfBetter(const RecordFolder &folder, const QString &score, const QString &name,
                               const std::function<bool(const RecordText &onDisk)> &beats,
                               int lockWaitMs = kRecordLockWaitMs,
                               const std::function<void(bool newRecord)> &afterwards = {}, WorkGate *gate = nullptr);

// Why a save failed, as the pupil reads it.
QString saveFailure(const QString &reason);
