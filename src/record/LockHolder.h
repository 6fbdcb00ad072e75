#pragma once

#include "record/RecordOutcome.h"

#include <QByteArray>

#include <sys/types.h>

// Who holds a kernel lock on a file, from the kernel's own list
// (/proc/locks): the process, its program and its account. A lock taken on
// another computer of a lab is not in that list.

// The process holding a lock on the file (device, inode) in a text of
// /proc/locks; 0 when none is listed.
qint64 lockHolderPid(const QByteArray &procLocks, dev_t device, ino_t inode);

// The holder of a lock on the open file fd, looked up on this machine.
record::Holder lockHolderOf(int fd);
