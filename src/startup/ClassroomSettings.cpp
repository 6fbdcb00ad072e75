#include "startup/ClassroomSettings.h"

#include "startup/CommandLine.h"
#include "settings/Configuration.h"

#include "record/RecordNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

QString defaultRecordFolder()
{
    // On Linux this is $XDG_DATA_HOME, or ~/.local/share when it is unset or
    // empty.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    return base + QStringLiteral("/tarvimonda");
}

ClassroomSettings classroomSettings(const CommandLine &line, const Configuration &configuration)
{
    ClassroomSettings settings;
    settings.registerEnabled = configuration.registerEnabled;
    settings.recordFolder = line.recordFolder;
    settings.recordFolderPersonal = !settings.recordFolder.isEmpty();
    if (settings.recordFolder.isEmpty()) {
        settings.recordFolder = configuration.recordFolder.value_or(QByteArray());
        settings.recordFolderFrom = configuration.recordFolderFrom;
        const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
                            + QLatin1StringView(kConfigurationFile);
        settings.recordFolderPersonal = configuration.recordFolder.has_value()
                                        && configuration.recordFolderFrom.file == own;
    }
    settings.recordFolderChosen = !settings.recordFolder.isEmpty();
    settings.asAdministrator = ::geteuid() == 0;
    if (!settings.recordFolderChosen)
        settings.recordFolderFrom = {};
    return settings;
}

namespace {

// One of the game's own programs: beside the running one (a build tree),
// else where the package puts it.
QString companionProgram(const QString &name, const QString &installed)
{
    // The program's own folder, with or without a QCoreApplication (the
    // teacher's check runs before one exists).
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString beside = QFileInfo(self).path() + u'/' + name;
    return QFileInfo::exists(beside) ? beside : installed;
}

} // namespace

QString keeperProgramOf(const ClassroomSettings &settings)
{
    if (!settings.keeperProgram.isEmpty())
        return settings.keeperProgram;
    return companionProgram(QStringLiteral("tarvimonda-keeper"), QStringLiteral(TARVIMONDA_KEEPER_PATH));
}

bool refusedAsAdministrator(const ClassroomSettings &settings)
{
    return settings.recordFolderChosen && settings.asAdministrator;
}

QString registerProgram()
{
    return companionProgram(QStringLiteral("tarvimonda-register"), QStringLiteral(TARVIMONDA_REGISTER_PATH));
}

RecordFolderChoice recordFolderOf(const ClassroomSettings &settings)
{
    // An installed keeper holds the machine's class folder's group: unless
    // this account chose a folder of its own, the game keeps one record for
    // the whole machine, in the folder the machine's configuration names.
    struct stat info {};
    const bool privileged = ::stat(QFile::encodeName(keeperProgramOf(settings)).constData(), &info) == 0
                            && (info.st_mode & S_ISGID) != 0;
    if (privileged && !settings.recordFolderPersonal)
        return {settings.recordFolder.isEmpty() ? QByteArray(kMachineRecordFolder) : settings.recordFolder, true, true};
    if (!settings.recordFolder.isEmpty())
        return {settings.recordFolder, settings.recordFolderChosen};
    return {QFile::encodeName(QDir::cleanPath(defaultRecordFolder())), false};
}
