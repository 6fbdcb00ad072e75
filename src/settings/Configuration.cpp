#include "settings/Configuration.h"

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

bool is(const QString &text, const char *word) { return text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0; }

std::optional<bool> yesOrNo(const QString &value)
{
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"),
                                 QStringLiteral("1"), QStringLiteral("sì"), QStringLiteral("si")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"),
                                QStringLiteral("0")};
    if (yes.contains(value.toLower()))
        return true;
    if (no.contains(value.toLower()))
        return false;
    return std::nullopt;
}

} // namespace

QList<IniEntry> iniEntries(const QByteArray &text)
{
    QList<IniEntry> entries;
    QString section;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        IniEntry entry{section, line.left(equals).trimmed(), line.mid(equals + 1).trimmed(), number};
        const bool opens = entry.value.startsWith(u'"');
        const bool closes = entry.value.size() > 1 && entry.value.endsWith(u'"');
        if (opens && closes)
            entry.value = entry.value.mid(1, entry.value.size() - 2);
        else
            entry.badQuotes = opens || entry.value.endsWith(u'"');
        entries.append(entry);
    }
    return entries;
}

std::optional<QString> iniValue(const QByteArray &text, const QString &section, const QString &key)
{
    std::optional<QString> value;
    for (const IniEntry &entry : iniEntries(text)) {
        if (entry.section.compare(section, Qt::CaseInsensitive) == 0 && entry.key.compare(key, Qt::CaseInsensitive) == 0)
            value = entry.value; // the last one in a file counts
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
        std::optional<QString> folder;
        QString folderLine;
        std::optional<bool> enabled;
        for (const IniEntry &entry : iniEntries(contentOf(file))) {
            const auto problem = [&](const QString &what) {
                configuration.problems << QStringLiteral("%1, riga %2: %3").arg(file).arg(entry.line).arg(what);
            };
            const bool record = is(entry.section, "Record");
            const bool registerSection = is(entry.section, "Register");
            if (!record && !registerSection)
                continue; // another program's section, or a future one
            if (entry.badQuotes) {
                problem(QStringLiteral("le virgolette di «%1» non sono chiuse; la riga non vale.").arg(entry.value));
            } else if (record && is(entry.key, "Folder")) {
                if (entry.value.isEmpty())
                    problem(QStringLiteral("Folder non indica alcuna cartella; la riga non vale."));
                else {
                    folder = resolved(entry.value, file);
                    folderLine = QStringLiteral("%1, riga %2").arg(file).arg(entry.line);
                }
            } else if (registerSection && is(entry.key, "Enabled")) {
                if (const auto on = yesOrNo(entry.value))
                    enabled = on;
                else
                    problem(QStringLiteral("Enabled=%1 non si capisce: si scrive Enabled=true oppure "
                                           "Enabled=false; la riga non vale.")
                                .arg(entry.value));
            } else {
                problem(QStringLiteral("la chiave «%1» non esiste nella sezione [%2]; la riga non vale.")
                            .arg(entry.key, entry.section));
            }
        }
        if (folder && !configuration.recordFolder) {
            configuration.recordFolder = folder;
            configuration.recordFolderFrom = folderLine;
        }
        if (enabled && !registerSet) {
            registerSet = true;
            configuration.registerEnabled = *enabled;
        }
    }
    return configuration;
}
