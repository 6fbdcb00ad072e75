#include "app/Configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// A configuration file is a few lines; a bigger one is not ours.
constexpr qint64 kMaxConfigurationBytes = 64 * 1024;

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxConfigurationBytes);
}

// "~/x" is in the home folder; a relative path is read from the folder
// that holds the configuration file, as a teacher would expect.
QString resolved(const QString &value, const QString &file)
{
    if (value == u'~' || value.startsWith(QStringLiteral("~/")))
        return QDir::cleanPath(QDir::homePath() + value.mid(1));
    return QDir::cleanPath(QFileInfo(file).dir().absoluteFilePath(value));
}

} // namespace

std::optional<QString> iniValue(const QByteArray &text, const QString &group, const QString &key)
{
    QString current;
    std::optional<QString> value;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && current.compare(group, Qt::CaseInsensitive) == 0
            && line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            value = line.mid(equals + 1).trimmed(); // the last one in a file counts
    }
    return value;
}

QStringList configurationFiles()
{
    return QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation, QLatin1StringView(kConfigurationFile));
}

Configuration readConfiguration(const QStringList &files)
{
    Configuration configuration;
    bool registerSet = false;
    for (const QString &file : files) {
        const QByteArray text = contentOf(file);
        if (!configuration.recordFolder) {
            if (auto folder = iniValue(text, QStringLiteral("Record"), QStringLiteral("Folder"));
                folder && !folder->isEmpty()) {
                configuration.recordFolder = resolved(*folder, file);
                configuration.recordFolderFrom = file;
            }
        }
        if (!registerSet) {
            if (const auto enabled = iniValue(text, QStringLiteral("Register"), QStringLiteral("Enabled"))) {
                registerSet = true;
                static const QStringList yes{QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"),
                                             QStringLiteral("1"), QStringLiteral("sì"), QStringLiteral("si")};
                configuration.registerEnabled = yes.contains(enabled->toLower());
            }
        }
    }
    return configuration;
}
