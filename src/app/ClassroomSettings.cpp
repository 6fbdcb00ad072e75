#include "app/ClassroomSettings.h"

#include "app/CommandLine.h"
#include "settings/Configuration.h"

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
    if (!settings.recordFolderChosen)
        settings.recordFolderSource.clear();
    return settings;
}
