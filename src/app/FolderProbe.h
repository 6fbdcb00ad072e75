#pragma once

#include "record/RecordOutcome.h"

struct ClassroomSettings;

// Whether this account can keep the record in the folder a game with these
// settings would use, and if it cannot, why: asked of the record keeper
// itself, as the game asks it, so the answer is the keeper's, with its
// rights. Nothing on disk is changed.
struct FolderAccess
{
    // Read: it can (with a cause: something to tell); Failed: it cannot.
    record::Outcome record;
    record::Outcome registerLine; // Failed: the register can take no line there
    bool canKeep() const { return record.happened == record::Happened::Read; }
    // The player's own folder, not made yet: the first game makes it.
    bool madeAtFirstGame = false;
};
FolderAccess probeRecordFolder(const ClassroomSettings &settings);
