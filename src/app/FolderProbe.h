#pragma once

#include <QByteArray>
#include <QString>

// Whether this account can keep the record in a folder, and if it cannot,
// why. Asked in this one place, so that the answer can come from whatever
// keeps the record without its callers changing.
struct FolderAccess
{
    bool canKeep = false;
    QString why; // in Italian: the cause when it cannot; a note or nothing when it can
};

// folder as given (bytes); chosen: named by the teacher, so only its last
// part would ever be created. Nothing on disk is changed.
FolderAccess probeRecordFolder(const QByteArray &folder, bool chosen);
