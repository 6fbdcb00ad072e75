#include "app/FolderCauses.h"

#include "settings/Configuration.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// fstab and the kernel's mount table write a blank as \040.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// The blank-separated fields of each line that is not a comment.
QList<QList<QByteArray>> table(const QByteArray &text)
{
    QList<QList<QByteArray>> rows;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 3 && !fields[0].startsWith('#'))
            rows.append(fields);
    }
    return rows;
}

QByteArray fileText(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writable(const QByteArray &folder) { return ::access(folder.constData(), W_OK | X_OK) == 0; }

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QString nameOf(const char *name, unsigned id) { return name ? QString::fromLocal8Bit(name) : QString::number(id); }

GroupStanding standingWith(const struct stat &info)
{
    GroupStanding standing;
    // Copied at once: the next lookup reuses the same storage.
    const passwd *me = ::getpwuid(::geteuid());
    standing.account = nameOf(me ? me->pw_name : nullptr, ::geteuid());
    const QByteArray myName = me ? QByteArray(me->pw_name) : QByteArray();
    const gid_t myGroup = me ? me->pw_gid : ::getegid();
    const passwd *owner = ::getpwuid(info.st_uid);
    standing.owner = nameOf(owner ? owner->pw_name : nullptr, info.st_uid);
    const group *folderGroup = ::getgrgid(info.st_gid);
    standing.group = nameOf(folderGroup ? folderGroup->gr_name : nullptr, info.st_gid);
    standing.mode = info.st_mode & 07777;
    standing.ownsFolder = info.st_uid == ::geteuid();
    QList<gid_t> held(::getgroups(0, nullptr));
    held.resize(qMax(0, ::getgroups(int(held.size()), held.data())));
    standing.processHasGroup = ::getegid() == info.st_gid || held.contains(info.st_gid);
    if (!myName.isEmpty()) {
        // What a new login would get, from the group database.
        int count = 64;
        QList<gid_t> listed(count);
        if (::getgrouplist(myName.constData(), myGroup, listed.data(), &count) < 0) {
            listed.resize(count);
            ::getgrouplist(myName.constData(), myGroup, listed.data(), &count);
        }
        listed.resize(count);
        standing.databaseListsAccount = listed.contains(info.st_gid);
    }
    return standing;
}

} // namespace

std::optional<FstabMount> unmountedMount(const QByteArray &folder, const QByteArray &fstab, const QByteArray &mounts)
{
    QList<QByteArray> mounted;
    for (const QList<QByteArray> &row : table(mounts))
        mounted << unescaped(row[1]);
    std::optional<FstabMount> deepest;
    for (const QList<QByteArray> &row : table(fstab)) {
        const QByteArray point = unescaped(row[1]);
        const bool above = point == folder || folder.startsWith(point + '/');
        if (point.startsWith('/') && point != "/" && above && !mounted.contains(point)
            && (!deepest || point.size() > deepest->point.size()))
            deepest = FstabMount{point, row[2]};
    }
    return deepest;
}

std::optional<QString> shareNotMounted(const QByteArray &folder)
{
    const auto mount = unmountedMount(folder, fileText("/etc/fstab"), fileText("/proc/self/mounts"));
    if (!mount)
        return std::nullopt;
    const QString point = readablePath(mount->point);
    return QStringLiteral("/etc/fstab monta in %1 un file system (%2) che ora non è montato: il record finirebbe "
                          "sul disco di questo computer invece che nella cartella comune. Montalo (mount %1) e "
                          "controlla con findmnt %1")
        .arg(point, QString::fromLocal8Bit(mount->type));
}

QString deniedBecause(const GroupStanding &s)
{
    const bool groupMayWrite = (s.mode & 030) == 030;
    if (!s.ownsFolder && groupMayWrite && !s.processHasGroup && s.databaseListsAccount)
        return QStringLiteral("l'account «%1» è nel gruppo «%2», ma questa sessione è cominciata prima che ce lo "
                              "aggiungessero: esci dalla sessione e rientra, e id -nG mostrerà anche «%2»")
            .arg(s.account, s.group);
    if (!s.ownsFolder && groupMayWrite && !s.processHasGroup)
        return QStringLiteral("l'account «%1» non fa parte del gruppo «%2», l'unico che può scrivere nella cartella: "
                              "aggiungilo con usermod -aG %2 %1, poi esci dalla sessione e rientra")
            .arg(s.account, s.group);
    return QStringLiteral("permesso negato: la cartella è di «%1», gruppo «%2», permessi %3, e l'account «%4» non "
                          "ci può scrivere")
        .arg(s.owner, s.group, QString::number(s.mode, 8), s.account);
}

FolderAccess explainedCause(const QByteArray &folder, bool chosen, const QString &fallback)
{
    struct stat info {};
    if (::stat(folder.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode) && !writable(folder) && errno == EACCES)
            return {false, deniedBecause(standingWith(info))};
        return {false, fallback};
    }
    if (errno != ENOENT)
        return {false, fallback};
    QByteArray existing = parentOf(folder);
    while (existing != "/" && ::stat(existing.constData(), &info) != 0)
        existing = parentOf(existing);
    const bool creatable = writable(existing) && (!chosen || existing == parentOf(folder));
    if (!chosen && creatable)
        return {true, QStringLiteral("la cartella non esiste ancora: la crea la prima partita")};
    if (chosen && creatable)
        return {false, QStringLiteral("la cartella non esiste. La creerebbe il primo alunno che gioca, con i suoi "
                                      "permessi, e gli altri forse non ci potrebbero scrivere: creala tu, come dice "
                                      "il manuale")};
    return {false, QStringLiteral("la cartella non esiste, e questo account non la può creare in %1")
                       .arg(readablePath(existing))};
}
