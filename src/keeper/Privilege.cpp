#include "keeper/Privilege.h"

#include "record/Fd.h"
#include "settings/Configuration.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool onlyRootMayChange(const struct stat &info) { return info.st_uid == 0 && (info.st_mode & 022) == 0; }

// The file's bytes, when only root may change it and the folder it is in.
QByteArray trustedContent(const char *path)
{
    const QByteArray file(path);
    const QByteArray folder = file.left(file.lastIndexOf('/'));
    struct stat info {};
    if (folder.isEmpty() || ::stat(folder.constData(), &info) != 0 || !onlyRootMayChange(info))
        return {};
    recordio::Fd fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || !onlyRootMayChange(info))
        return {};
    QByteArray content(64 * 1024, Qt::Uninitialized);
    const ssize_t got = ::read(fd.get(), content.data(), static_cast<size_t>(content.size()));
    return got > 0 ? content.left(got) : QByteArray();
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
    const QByteArray content = trustedContent(configurationPath);
    QByteArray folder;
    for (const IniEntry &entry : iniEntries(content)) {
        if (entry.section.compare(QStringLiteral("Record"), Qt::CaseInsensitive) == 0
            && entry.key.compare(QStringLiteral("Folder"), Qt::CaseInsensitive) == 0 && !entry.badQuotes)
            folder = QFile::encodeName(entry.value); // the last one counts, as for the game
    }
    // As the game reads it: a relative path from the configuration's folder.
    // "~" is each player's own home, never the machine's folder.
    if (!folder.isEmpty() && !folder.startsWith('/') && !folder.startsWith('~')) {
        const QString file = QFile::decodeName(configurationPath);
        folder = QFile::encodeName(QDir::cleanPath(file.left(file.lastIndexOf(u'/') + 1) + QFile::decodeName(folder)));
    }
    return withoutTrailingSlashes(folder.startsWith('/') ? folder : QByteArray(defaultFolder));
}

bool isMachineFolder(QByteArray requested, QByteArray machine)
{
    return withoutTrailingSlashes(std::move(requested)) == withoutTrailingSlashes(std::move(machine));
}
