#pragma once

#include "record/RecordFiles.h"
#include "record/Register.h"

#include <functional>
#include <optional>

class WorkGate;

// What the end of a game does to the record folder: a game that beat the
// record it was shown saves it, under the lock, only if it still beats the
// record on disk; with the register on, the game's line goes in under the
// same lock, right after the record is decided. A game that beat nothing
// touches the record files not at all.
struct GameEnd
{
    RecordFolder folder;
    QString score; // lblScore, as shown
    QString name;  // lblnome1, as typed
    bool beatsShown = false;
    std::function<bool(const RecordText &onDisk)> beats;
    std::optional<RegisterEntry> registerEntry; // with the register on
};

struct GameEndOutcome
{
    std::optional<SaveOutcome> record; // when a save was tried
    std::optional<QString> registerFailure;
};

GameEndOutcome recordGameEnd(const GameEnd &end, int lockWaitMs = kRecordLockWaitMs, WorkGate *gate = nullptr);
