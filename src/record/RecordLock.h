#pragma once

#include <QString>

// The lock that lets one program at a time compare and write the record in
// a folder that many programs, users or machines share.
//
// It is a kernel lock (flock) on the file "record.lock", not the file's
// presence: the kernel drops it the moment its holder dies, so a crashed
// program never blocks the others, and a live holder keeps it however long
// its disk takes to flush. On a network share the file server keeps it for
// the client and frees it when that client's lease runs out. The holder
// removes the file on release, so nothing stays behind.
class RecordLock
{
public:
    enum class Result { Held, Busy, Failed };

    explicit RecordLock(const QString &folder);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    // Waits at most waitMs for the lock. Failed: the folder does not let us
    // make or open the lock file (see error()).
    Result acquire(int waitMs);
    void release();
    bool isHeld() const { return m_fd >= 0; }
    int error() const { return m_error; }

private:
    enum class Attempt { Held, Busy, Retry, Failed };
    Attempt tryOnce();

    QString m_path;
    int m_mode;
    int m_fd = -1;
    int m_error = 0;
};
