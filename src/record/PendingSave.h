#pragma once

#include "record/RecordOutcome.h"

#include <QByteArray>

#include <optional>
#include <utility>

namespace recordio {
class RecordFolder;
}

// A save in progress, kept in "record.pending": both new files' bytes,
// written whole before either record file is touched. A save cut short
// between the two files (a crash, a power cut, a share that lost a rename's
// answer) is completed from it, so the pair on disk is always one game's
// score and name.

QByteArray pendingContent(const QByteArray &score, const QByteArray &name);

// The two files' bytes, or nothing when the content is not one we wrote
// whole: sizes that do not match exactly, bytes after them.
std::optional<std::pair<QByteArray, QByteArray>> parsePending(const QByteArray &content);

// Puts the score file, then the name file, in place; both are written and
// synced before either is renamed, and when the name cannot follow the
// score, the old score is renamed back. renameTried: a rename was asked of
// the folder, and a share may have done it while it answered an error, so
// only the pending save can make sure of the pair.
// Why a save could not replace the pair's files: a folder, or a file
// nobody may write, in the place of one. Nothing when it could.
std::optional<record::Outcome> pairNotReplaceable(const recordio::RecordFolder &folder);

struct PairPlacement
{
    std::optional<record::Outcome> failure;
    bool renameTried = false;
};
PairPlacement putPairInPlace(const recordio::RecordFolder &folder, const QByteArray &score, const QByteArray &name);

// Completes a save that was cut short; the caller holds the lock. Nothing
// when no pending save is left afterwards; else why it is kept (PendingKept
// naming the file and the error, or the folder that stands in its place).
std::optional<record::Outcome> finishPendingSave(const recordio::RecordFolder &folder);

// The record a pending save will leave, to show while it is kept.
std::optional<std::pair<QByteArray, QByteArray>> readPendingSave(const recordio::RecordFolder &folder);
