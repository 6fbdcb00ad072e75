#include "keeper/Privilege.h"

#include "settings/Configuration.h"

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

} // namespace

Privilege::Privilege()
    : m_own(::getgid())
    , m_privileged(::getegid())
{
    (void)!::setegid(m_own);
}

bool Privilege::resume() const { return ::setegid(m_privileged) == 0 && ::getegid() == m_privileged; }

bool Privilege::dropForGood() const
{
    gid_t real = 0;
    gid_t effective = 0;
    gid_t saved = 0;
    return ::setresgid(m_own, m_own, m_own) == 0 && ::getresgid(&real, &effective, &saved) == 0 && real == m_own
           && effective == m_own && saved == m_own;
}

QByteArray machineRecordFolder(const char *configurationPath, const char *defaultFolder)
{
    // Read as the game reads it, so both name the same folder.
    const Configuration configuration = trusted(configurationPath)
                                            ? readConfiguration({QFile::decodeName(configurationPath)})
                                            : Configuration();
    return withoutTrailingSlashes(configuration.recordFolder.value_or(QByteArray(defaultFolder)));
}

bool isMachineFolder(QByteArray requested, QByteArray machine)
{
    return withoutTrailingSlashes(std::move(requested)) == withoutTrailingSlashes(std::move(machine));
}
