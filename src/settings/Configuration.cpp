#include "settings/Configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

namespace {

// A configuration file is a few lines; a bigger one is not ours.
constexpr qint64 kMaxConfigurationBytes = 64 * 1024;

using Problem = ConfigurationProblem;
using Place = ConfigurationPlace;

bool is(const QString &text, const char *word) { return text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0; }

int sectionConcern(const QString &section)
{
    return is(section, "Record") ? kConcernsRecord : is(section, "Register") ? kConcernsRegister : kConcernsNothing;
}
int keyConcern(const QString &key)
{
    return is(key, "Folder") ? kConcernsRecord : is(key, "Enabled") || is(key, "MaxMB") ? kConcernsRegister : kConcernsNothing;
}

// The file's text, or why it cannot be read.
std::optional<QByteArray> contentOf(const QString &path, Problem &problem)
{
    problem = {QFileInfo(path).isFile() ? Problem::Kind::Unreadable : Problem::Kind::NotAFile, {path}, {}, {}, {}, 0,
               kConcernsRecord | kConcernsRegister};
    if (problem.kind == Problem::Kind::NotAFile)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem.error = errno;
        return std::nullopt;
    }
    QByteArray text = file.read(kMaxConfigurationBytes);
    // Windows' Notepad starts a file with a byte order mark.
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text;
}

// "~/x" is in the home folder; a relative path is read from the folder
// that holds the configuration file, as a teacher would expect. Bytes are
// only joined, never decoded.
QByteArray resolved(const QByteArray &value, const QString &file)
{
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        home = QFile::encodeName(QDir::homePath());
    QByteArray path = value;
    if (value == "~" || value.startsWith("~/"))
        path = home + value.mid(1);
    else if (!value.startsWith('/'))
        path = QFile::encodeName(QFileInfo(file).absolutePath()) + '/' + value;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// One file's lines, judged. Its settings are the last of each key in it.
struct FileReading
{
    std::optional<QByteArray> folder;
    std::optional<bool> enabled;
    std::optional<int> maxMB;
    Place folderFrom, enabledFrom, maxMBFrom;
};

FileReading judge(const QString &file, const QByteArray &text, QList<Problem> &problems,
                  QList<OverriddenSetting> &overridden)
{
    FileReading reading;
    qsizetype unknownSection = -1; // the problem of the unknown section the lines are in
    const auto set = [&](auto &setting, Place &from, auto value, const Place &where, const IniLine &line) {
        if (setting)
            overridden.append({from, line.key, where});
        setting = value;
        from = where;
    };
    for (const IniLine &line : iniLines(text)) {
        const Place where{file, line.line};
        const int inSection = sectionConcern(line.section);
        const int key = keyConcern(line.key);
        const auto problem = [&](Problem::Kind kind, int concerns) {
            problems.append({kind, where, line.section, line.key, line.value, 0, concerns});
        };
        if (line.kind == IniLine::Kind::Section) {
            unknownSection = -1;
            if (inSection == kConcernsNothing) {
                problem(Problem::Kind::UnknownSection, kConcernsNothing);
                unknownSection = problems.size() - 1;
            }
        } else if (unknownSection >= 0) {
            problems[unknownSection].concerns |= key; // said once, at the section
        } else if (line.kind == IniLine::Kind::Other) {
            problem(Problem::Kind::NotASetting, inSection);
        } else if (line.section.isEmpty()) {
            problem(Problem::Kind::OutsideSections, key);
        } else if (key != inSection) {
            problem(Problem::Kind::WrongSection, key ? key : inSection);
        } else if (line.badQuotes) {
            problem(Problem::Kind::OpenQuotes, key);
        } else if (key == kConcernsRecord && line.value.isEmpty()) {
            problem(Problem::Kind::NoFolder, key);
        } else if (key == kConcernsRecord && line.value.contains('\0')) {
            problem(Problem::Kind::NulInFolder, key);
        } else if (key == kConcernsRecord) {
            set(reading.folder, reading.folderFrom, resolved(line.value, file), where, line);
        } else if (is(line.key, "MaxMB")) {
            bool number = false;
            const int megabytes = line.value.toInt(&number);
            if (number && megabytes > 0)
                set(reading.maxMB, reading.maxMBFrom, megabytes, where, line);
            else
                problem(Problem::Kind::BadMaxMB, key);
        } else if (const auto on = yesOrNo(line.value)) {
            set(reading.enabled, reading.enabledFrom, *on, where, line);
        } else {
            problem(Problem::Kind::BadEnabled, key);
        }
    }
    return reading;
}

} // namespace

std::optional<bool> yesOrNo(const QByteArray &value)
{
    // "sì" typed on another keyboard may come as 'i' and a combining accent.
    const QString word = QString::fromUtf8(value).normalized(QString::NormalizationForm_C).toLower();
    // "si" as well: many keyboards have no ì at hand.
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("sì"), QStringLiteral("si"), QStringLiteral("vero"),
                                 QStringLiteral("1")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("falso"), QStringLiteral("0")};
    if (yes.contains(word))
        return true;
    if (no.contains(word))
        return false;
    return std::nullopt;
}

QString readablePath(const QByteArray &path)
{
    if (QUtf8StringView(path).isValidUtf8() && !path.contains('\0'))
        return QString::fromUtf8(path);
    QString shown;
    for (const char byte : path) {
        const auto code = static_cast<unsigned char>(byte);
        shown += code >= 0x80 || code == 0 ? QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0')
                                           : QString(QLatin1Char(byte));
    }
    return shown;
}

QList<IniLine> iniLines(const QByteArray &text)
{
    QList<IniLine> lines;
    QString section;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        IniLine entry{IniLine::Kind::Other, section, {}, {}, number, false};
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2).trimmed());
            entry.kind = IniLine::Kind::Section;
            entry.section = section;
        } else if (equals > 0) {
            entry.kind = IniLine::Kind::Entry;
            entry.key = QString::fromUtf8(line.left(equals).trimmed());
            entry.value = line.mid(equals + 1).trimmed();
            const bool opens = entry.value.startsWith('"');
            const bool closes = entry.value.size() > 1 && entry.value.endsWith('"');
            if (opens && closes)
                entry.value = entry.value.mid(1, entry.value.size() - 2);
            else
                entry.badQuotes = opens || entry.value.endsWith('"');
        }
        lines.append(entry);
    }
    return lines;
}

std::optional<QString> iniValue(const QByteArray &text, const QString &section, const QString &key)
{
    std::optional<QString> value;
    for (const IniLine &line : iniLines(text)) {
        if (line.kind == IniLine::Kind::Entry && line.section.compare(section, Qt::CaseInsensitive) == 0
            && line.key.compare(key, Qt::CaseInsensitive) == 0)
            value = QString::fromUtf8(line.value); // the last one in a file counts
    }
    return value;
}

QStringList configurationFiles()
{
    // A folder (or anything else) in a file's place is listed too, so that
    // it is named as unusable instead of passed over in silence.
    QStringList files;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        const QString path = folder + u'/' + QLatin1StringView(kConfigurationFile);
        if (QFileInfo(path).exists() && !files.contains(path))
            files << path;
    }
    return files;
}

Configuration readConfiguration(const QStringList &files)
{
    Configuration c;
    for (const QString &file : files) {
        Problem unusable;
        const auto text = contentOf(file, unusable);
        if (!text) {
            c.problems.append(unusable);
            continue;
        }
        c.files << file;
        const FileReading reading = judge(file, *text, c.problems, c.overridden);
        const auto counts = [&](bool already, const Place &from, const char *key, const Place &winner) {
            if (already && from.isSet())
                c.overridden.append({from, QLatin1String(key), winner});
            return !already && from.isSet();
        };
        if (counts(c.recordFolder.has_value(), reading.folderFrom, "Folder", c.recordFolderFrom)) {
            c.recordFolder = reading.folder;
            c.recordFolderFrom = reading.folderFrom;
        }
        if (counts(c.registerMaxMBFrom.isSet(), reading.maxMBFrom, "MaxMB", c.registerMaxMBFrom)) {
            c.registerMaxMB = *reading.maxMB;
            c.registerMaxMBFrom = reading.maxMBFrom;
        }
        if (counts(c.registerEnabledFrom.isSet(), reading.enabledFrom, "Enabled", c.registerEnabledFrom)) {
            c.registerEnabled = *reading.enabled;
            c.registerEnabledFrom = reading.enabledFrom;
        }
    }
    return c;
}
