#pragma once

#include <QString>

struct ClassroomSettings;

// Whether this account can keep the record in the folder a game with these
// settings would use, and if it cannot, why: asked of the record keeper
// itself, as the game asks it, so the answer is the keeper's, with its
// rights. Nothing on disk is changed.
struct FolderAccess
{
    bool canKeep = false;
    QString why; // in Italian: the cause when it cannot; a note or nothing when it can
    QString registerWhy; // why the register can take no line there; nothing when it can
};
FolderAccess probeRecordFolder(const ClassroomSettings &settings);
