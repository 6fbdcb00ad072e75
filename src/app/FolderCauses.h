#pragma once

#include "app/FolderProbe.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What this account can see of why a record folder cannot be used, so that
// "permesso negato" is told apart into the causes a teacher can mend.

// A file system /etc/fstab mounts at the folder or above it.
struct FstabMount
{
    QByteArray point, type;
};
// The deepest one at or above folder that is not mounted now; fstab and
// mounts are the texts of /etc/fstab and /proc/self/mounts.
std::optional<FstabMount> unmountedMount(const QByteArray &folder, const QByteArray &fstab, const QByteArray &mounts);
// The same on this machine, said in Italian.
std::optional<QString> shareNotMounted(const QByteArray &folder);

// The account and the folder's group, as the folder and the system show it.
struct GroupStanding
{
    QString account, owner, group;
    unsigned mode = 0;                 // the folder's permission bits
    bool ownsFolder = false;
    bool processHasGroup = false;      // this process holds the folder's group now
    bool databaseListsAccount = false; // the group database puts the account in it
};
// Why this account may not write into the folder.
QString deniedBecause(const GroupStanding &standing);

// The cause behind what the record code found wrong (fallback, its words),
// looked at more closely: a missing folder, the group, or fallback itself.
FolderAccess explainedCause(const QByteArray &folder, bool chosen, const QString &fallback);
