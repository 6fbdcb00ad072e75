#include "record/RecordFiles.h"

#include "record/RecordIo.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

QString prepareFolder(const QString &folder)
{
    const QString path = recordio::withOneSlash(folder);
    // A failure here surfaces later, when the files cannot be created.
    QDir().mkpath(path);
    return path;
}

QString prepareChosenFolder(const QString &folder)
{
    const QString path = recordio::withOneSlash(folder);
    QDir().mkdir(path);
    return path;
}

QString defaultRecordFolder()
{
    // On Linux this is $XDG_DATA_HOME, or ~/.local/share when it is unset or
    // empty; elsewhere the platform's per-user data folder.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    return prepareFolder(base + QStringLiteral("/tarvimonda"));
}

std::optional<QString> recordFolderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    QString why;
    if (!info.exists())
        why = QStringLiteral("la cartella non esiste e non si può creare");
    else if (!info.isDir())
        why = QStringLiteral("non è una cartella");
    else if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        why = QStringLiteral("non si può scrivere (%1)").arg(recordio::reason(errno));
    else
        return std::nullopt;
    return QStringLiteral("Il record non può essere tenuto nella cartella %1: %2.\n"
                          "Si può giocare lo stesso, ma il record non sarà salvato. "
                          "Avvisa l'insegnante.")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(folder)), why);
}
