#include "record/LockHolder.h"

#include <QFile>
#include <QList>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QByteArray contentOf(const char *path, qint64 maxBytes)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.read(maxBytes) : QByteArray();
}

} // namespace

qint64 lockHolderPid(const QByteArray &procLocks, dev_t device, ino_t inode)
{
    // "1: FLOCK  ADVISORY  WRITE 4242 fd:01:131075 0 EOF"; waiters are
    // listed as "1: -> FLOCK ...", and are not holders.
    const QByteArray wanted = QByteArray::number(major(device), 16).rightJustified(2, '0') + ':'
                              + QByteArray::number(minor(device), 16).rightJustified(2, '0') + ':'
                              + QByteArray::number(quint64(inode));
    for (const QByteArray &line : procLocks.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.value(1) == "->")
            continue;
        if (fields[5] == wanted) {
            bool ok = false;
            const qint64 pid = fields[4].toLongLong(&ok);
            if (ok && pid > 0)
                return pid;
        }
    }
    return 0;
}

record::Holder lockHolderOf(int fd)
{
    record::Holder holder;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return holder;
    holder.pid = lockHolderPid(contentOf("/proc/locks", 1 << 20), info.st_dev, info.st_ino);
    if (holder.pid == 0)
        return holder;
    const QByteArray process = "/proc/" + QByteArray::number(holder.pid);
    holder.program = QString::fromUtf8(contentOf((process + "/comm").constData(), 64).trimmed());
    struct stat owner {};
    if (::stat(process.constData(), &owner) == 0) {
        const passwd *account = ::getpwuid(owner.st_uid);
        holder.user = account ? QString::fromUtf8(account->pw_name) : QString::number(owner.st_uid);
    }
    return holder;
}
