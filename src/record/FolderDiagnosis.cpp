#include "record/FolderDiagnosis.h"

#include <QFile>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using record::Cause;
using record::Outcome;

namespace {

QByteArray contentOf(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

// Both tables write a blank in a path as \040.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray path;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                path += char(code);
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return path;
}

bool lies(const QByteArray &path, const QByteArray &under)
{
    return path == under || path.startsWith(under.endsWith('/') ? under : under + '/');
}

// The gid of the place that decides: the folder, or where it would be made.
bool decidingGroup(const QByteArray &path, gid_t &group)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        const qsizetype slash = path.lastIndexOf('/');
        if (slash < 0 || ::stat(slash == 0 ? "/" : path.left(slash).constData(), &info) != 0)
            return false;
    }
    group = info.st_gid;
    // Only a group that may write there explains a denial.
    return (info.st_mode & 0030) == 0030;
}

bool inProcessGroups(gid_t group)
{
    if (::getegid() == group)
        return true;
    gid_t groups[256];
    const int count = ::getgroups(256, groups);
    for (int i = 0; i < count; ++i)
        if (groups[i] == group)
            return true;
    return false;
}

bool inGroupDatabase(gid_t group)
{
    const passwd *account = ::getpwuid(::getuid());
    if (!account)
        return false;
    if (account->pw_gid == group)
        return true;
    const struct group *entry = ::getgrgid(group);
    for (char **member = entry ? entry->gr_mem : nullptr; member && *member; ++member)
        if (qstrcmp(*member, account->pw_name) == 0)
            return true;
    return false;
}

} // namespace

QByteArray unmountedShareFor(const QByteArray &path, const QByteArray &fstab, const QByteArray &mountinfo)
{
    QByteArray best;
    for (const QByteArray &line : fstab.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || fields[0].startsWith('#') || !fields[1].startsWith('/') || fields[1] == "/")
            continue;
        const QByteArray point = unescaped(fields[1]);
        if (lies(path, point) && point.size() > best.size())
            best = point;
    }
    if (best.isEmpty())
        return {};
    // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw": the fifth field.
    for (const QByteArray &line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && unescaped(fields[4]) == best)
            return {};
    }
    return best;
}

Outcome diagnoseFolder(const QByteArray &path, Cause cause, int error)
{
    const QByteArray share = unmountedShareFor(path, contentOf("/etc/fstab"), contentOf("/proc/self/mountinfo"));
    if (!share.isEmpty())
        return Outcome::failed(Cause::ShareNotMounted, share, error);
    Outcome outcome = Outcome::failed(cause, path, error);
    gid_t group = 0;
    if ((error == EACCES || error == EPERM) && decidingGroup(path, group) && !inProcessGroups(group)) {
        outcome.cause = inGroupDatabase(group) ? Cause::GroupNotActive : Cause::NotInGroup;
        const struct group *entry = ::getgrgid(group);
        outcome.group = entry ? QString::fromUtf8(entry->gr_name) : QString::number(group);
    }
    return outcome;
}
