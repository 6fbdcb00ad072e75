#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A network share that has stopped answering, for real: a FUSE file system
// mounted with nobody reading its requests, so every access to it waits.
// Needs root and /dev/fuse. Going away aborts the connection, which fails
// whatever still waits on it, then unmounts.
class SilentShare
{
public:
    explicit SilentShare(const QString &at)
        : m_at(QFile::encodeName(at))
        , m_fd(::open("/dev/fuse", O_RDWR | O_CLOEXEC))
    {
        const QByteArray options = "fd=" + QByteArray::number(m_fd) + ",rootmode=40000,user_id=0,group_id=0";
        m_mounted = m_fd >= 0 && ::mount("silent", m_at.constData(), "fuse", 0, options.constData()) == 0;
    }
    ~SilentShare()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_mounted)
            ::umount2(m_at.constData(), MNT_DETACH);
    }
    SilentShare(const SilentShare &) = delete;
    SilentShare &operator=(const SilentShare &) = delete;

    bool isMounted() const { return m_mounted; }

private:
    QByteArray m_at;
    int m_fd;
    bool m_mounted = false;
};
