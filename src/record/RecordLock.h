#pragma once

#include "record/RecordFolder.h"
#include "record/RecordIo.h"

#include <QString>

#include <functional>

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

    explicit RecordLock(const RecordFolder &folder, Mode mode = Mode::Exclusive);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    // Waits at most waitMs for the lock, or until abandoned() says the
    // caller no longer wants it (Busy then). Failed: the lock file cannot
    // be made or used; failure() says why and what the teacher can do.
    Result acquire(int waitMs, const std::function<bool()> &abandoned = {});
    void release();
    bool isHeld() const { return m_fd.isOpen(); }
    QString failure() const;
    const QString &path() const { return m_path; }

private:
    enum class Attempt { Held, Busy, Retry, Failed };
    Attempt tryOnce();
    Attempt replacePlanted(int error);

    QString m_path;
    Mode m_mode;
    int m_fileMode;
    recordio::Fd m_fd;
    int m_error = 0;
};
