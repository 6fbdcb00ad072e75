#include "keeper/Privilege.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool onlyRootMayChange(const char *path)
{
    struct stat info {};
    return ::stat(path, &info) == 0 && info.st_uid == 0 && (info.st_mode & 022) == 0;
}

// Whether the file and the folder it is in can be changed by root alone.
bool trusted(const char *path)
{
    const QByteArray file(path);
    const QByteArray folder = file.left(file.lastIndexOf('/'));
    return !folder.isEmpty() && onlyRootMayChange(folder.constData()) && onlyRootMayChange(path);
}

bool allGroupsAre(gid_t group)
{
    gid_t real = 0, effective = 0, saved = 0;
    return ::getresgid(&real, &effective, &saved) == 0 && real == group && effective == group && saved == group;
}

bool allUsersAre(uid_t user)
{
    uid_t real = 0, effective = 0, saved = 0;
    return ::getresuid(&real, &effective, &saved) == 0 && real == user && effective == user && saved == user;
}

// Every id to user and group, the group first: once the user id is the
// caller's, the privileged group could no longer be given up.
bool becomeWholly(uid_t user, gid_t group)
{
    return ::setresgid(group, group, group) == 0 && ::setresuid(user, user, user) == 0 && allGroupsAre(group)
           && allUsersAre(user);
}

} // namespace

Privilege::Privilege()
    : m_ownUser(::getuid())
    , m_privilegedUser(::geteuid())
    , m_ownGroup(::getgid())
    , m_privilegedGroup(::getegid())
{
    // The request is read with the caller's rights; a keeper that cannot
    // put them in effect goes no further.
    if (::setegid(m_ownGroup) != 0 || ::seteuid(m_ownUser) != 0)
        ::_exit(125);
}

bool Privilege::resume() const
{
    // The saved ids still hold the privileged ones: take them back into
    // effect first, then make them every id.
    return ::seteuid(m_privilegedUser) == 0 && becomeWholly(m_privilegedUser, m_privilegedGroup);
}

bool Privilege::dropForGood() const
{
    // Root's effective id is needed to set every id of a set-user-id
    // program to the caller's own; the caller's own ids stay in effect.
    return ::seteuid(m_privilegedUser) == 0 && becomeWholly(m_ownUser, m_ownGroup);
}

Configuration machineConfiguration(const char *configurationPath)
{
    // Read as the game reads it, so both understand the same words.
    return trusted(configurationPath) ? readConfiguration({QFile::decodeName(configurationPath)}) : Configuration();
}

QByteArray machineRecordFolder(const Configuration &machine, const char *defaultFolder)
{
    return withoutTrailingSlashes(machine.recordFolder.value_or(QByteArray(defaultFolder)));
}
