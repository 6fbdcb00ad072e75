#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>

class RecordFolder;

// A save in progress, kept in "record.pending": both new files' bytes,
// written whole before either record file is touched. A save cut short
// between the two files (a crash, a power cut) is completed from it, so the
// pair on disk is always one game's score and name.

QByteArray pendingContent(const QByteArray &score, const QByteArray &name);

// The two files' bytes, or nothing when the content is not one we wrote
// whole.
std::optional<std::pair<QByteArray, QByteArray>> parsePending(const QByteArray &content);

// Puts the score file, then the name file, in place; both are written and
// synced before either is renamed, and when the name cannot follow the
// score, the old score is renamed back, so the pair is one game's or stays
// as it was. halfWay: not even that worked, and only the pending save can
// complete the pair.
struct PairPlacement
{
    std::optional<QString> failure;
    bool halfWay = false;
};
PairPlacement putPairInPlace(const RecordFolder &folder, const QByteArray &score, const QByteArray &name);

// Completes a save that was cut short; the caller holds the lock. Nothing
// when no pending save is left afterwards; else why it is kept for later.
std::optional<QString> finishPendingSave(const RecordFolder &folder);

// The record a pending save will leave, to show while it is kept.
std::optional<std::pair<QByteArray, QByteArray>> readPendingSave(const RecordFolder &folder);
