#pragma once

#include "record/RecordFiles.h"

// The saving step alone, whatever the record on disk: score then name, under
// the lock. Nothing on success, else why, as the pupil would read it.
inline std::optional<QString> saveRecord(const RecordFolder &folder, const QString &score, const QString &name,
                                         int lockWaitMs = kRecordLockWaitMs)
{
    const SaveOutcome outcome = saveRecordIfBetter(
        folder, score, name, [](const RecordText &) { return true; }, lockWaitMs);
    if (outcome.kind == SaveOutcome::Kind::Saved)
        return std::nullopt;
    return outcome.failure;
}
