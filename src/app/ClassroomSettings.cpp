#include "app/ClassroomSettings.h"

#include "app/CommandLine.h"
#include "settings/Configuration.h"

#include <QDir>
#include <QStandardPaths>

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
    settings.recordFolderSource = QStringLiteral("l'opzione --record-folder");
    if (settings.recordFolder.isEmpty()) {
        settings.recordFolder = configuration.recordFolder.value_or(QString());
        settings.recordFolderSource = configuration.recordFolderFrom;
    }
    settings.recordFolderChosen = !settings.recordFolder.isEmpty();
    settings.asAdministrator = ::geteuid() == 0;
    if (!settings.recordFolderChosen)
        settings.recordFolderSource.clear();
    return settings;
}
