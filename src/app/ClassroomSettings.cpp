#include "app/ClassroomSettings.h"

#include "app/CommandLine.h"
#include "settings/Configuration.h"

#include <QFile>

ClassroomSettings classroomSettings(const CommandLine &line, const Configuration &configuration)
{
    ClassroomSettings settings;
    settings.registerEnabled = configuration.registerEnabled;
    settings.recordFolder = line.recordFolder;
    settings.recordFolderSource = QStringLiteral("l'opzione --record-folder");
    if (settings.recordFolder.isEmpty()) {
        settings.recordFolder = configuration.recordFolder.value_or(QByteArray());
        settings.recordFolderSource = configuration.recordFolderFrom;
    }
    settings.recordFolderChosen = !settings.recordFolder.isEmpty();
    if (!settings.recordFolderChosen)
        settings.recordFolderSource.clear();
    return settings;
}

std::optional<QString> notUsableAsGiven(const QByteArray &folder)
{
    if (QFile::encodeName(QFile::decodeName(folder)) == folder)
        return std::nullopt;
    return QStringLiteral("il nome della cartella contiene byte che non sono testo UTF-8, e il gioco per ora non "
                          "sa usarlo così com'è (non ne crea un'altra al suo posto): dai alla cartella un nome in UTF-8");
}
