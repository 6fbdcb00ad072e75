#pragma once

#include "record/RecordOutcome.h"

#include <QByteArray>
#include <QList>

// Why a folder cannot be used, told apart where the system lets us see
// more than an error number: "permesso negato" may mean the account is not
// in the folder's group, or joined it after its session began; a missing
// folder may be a network share that is not mounted.

// The mount point, listed in an /etc/fstab text, that path lies on, when
// the mount table (a /proc/self/mountinfo text) does not hold it: the
// share is not mounted. Empty otherwise.
QByteArray unmountedShareFor(const QByteArray &path, const QByteArray &fstab, const QByteArray &mountinfo);

// The failure of a folder step (cause, error) made more precise for this
// account and machine: ShareNotMounted, NotInGroup or GroupNotActive where
// they are the reason, else as it came.
record::Outcome diagnoseFolder(const QByteArray &path, record::Cause cause, int error);
