#pragma once

#include "record/RecordFolder.h"
#include "record/RecordOutcome.h"

// The lock that lets one program at a time compare and write the record in
// a folder that many programs, users or machines share, while readers at
// start-up share it among themselves.
//
// It is a kernel lock (flock) on the file "record.lock", not the file's
// presence: the kernel drops it the moment its holder dies, so a crashed
// program never blocks the others, and a live holder keeps it however long
// its disk takes to flush. On a network share the file server keeps it for
// the client and frees it when that client's lease runs out. The last
// holder removes the file on release, so nothing stays behind.
class RecordLock
{
public:
    enum class Mode { Exclusive, Shared };
    enum class Result { Held, Busy, Failed };

    RecordLock(const recordio::RecordFolder &folder, Mode mode);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    // Waits at most waitMs for the lock. Busy: another held it all along
    // (holder() says who, as far as this machine sees). Failed: the lock
    // file cannot be made or used (error() says why).
    Result acquire(int waitMs);
    void release();
    bool isHeld() const { return m_fd.isOpen(); }
    int error() const { return m_error; }
    const record::Holder &holder() const { return m_holder; }

private:
    enum class Attempt { Held, Busy, Retry, Failed };
    Attempt tryOnce(recordio::Fd &busy);
    Attempt replacePlanted(const recordio::Opened &file);
    bool stillAtPath(int fd) const;

    const recordio::RecordFolder &m_folder;
    Mode m_mode;
    recordio::Fd m_fd;
    int m_error = 0;
    record::Holder m_holder;
};
