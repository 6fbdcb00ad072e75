#include "settings/Configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

namespace {

// A configuration file is a few lines; a bigger one is not ours.
constexpr qint64 kMaxConfigurationBytes = 64 * 1024;

// What a line would have set, to tell the class what its loss means.
enum Concern { kNothing = 0, kRecord = 1, kRegister = 2 };

// A line that could not be used.
struct Finding
{
    QString where; // "FILE, riga N"
    QString what;
    int concern = kNothing;
    bool section = false; // an unknown section's own line: its lines go with it
};

bool is(const QString &text, const char *word) { return text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0; }

int sectionConcern(const QString &section)
{
    return is(section, "Record") ? kRecord : is(section, "Register") ? kRegister : kNothing;
}
int keyConcern(const QString &key)
{
    return is(key, "Folder") ? kRecord : is(key, "Enabled") || is(key, "MaxMB") ? kRegister : kNothing;
}
QString sectionOf(int concern) { return concern == kRecord ? QStringLiteral("[Record]") : QStringLiteral("[Register]"); }

std::optional<QByteArray> contentOf(const QString &path, QString *error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("non è un file");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = errno == EACCES ? QStringLiteral("permesso negato") : QStringLiteral("errore di sistema %1").arg(errno);
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

QString consequence(int concern, const Configuration &c)
{
    QStringList parts;
    if (concern & kRecord)
        parts << (c.recordFolder ? QStringLiteral("il record resta nella cartella indicata in %1").arg(c.recordFolderFrom)
                                 : QStringLiteral("il record resta personale per ogni alunno"));
    if (concern & kRegister)
        parts << (c.registerEnabledFrom.isEmpty() ? QStringLiteral("il registro non è tenuto")
                  : c.registerEnabled ? QStringLiteral("il registro resta acceso come dice %1").arg(c.registerEnabledFrom)
                                      : QStringLiteral("il registro resta spento come dice %1").arg(c.registerEnabledFrom));
    return parts.join(QStringLiteral("; "));
}

// One file's lines, judged. Its settings are the last of each key in it.
struct FileReading
{
    std::optional<QByteArray> folder;
    std::optional<bool> enabled;
    std::optional<int> maxMB;
    QString folderFrom, enabledFrom, maxMBFrom;
};

FileReading judge(const QString &file, const QByteArray &text, QList<Finding> &findings, QStringList &overridden)
{
    FileReading reading;
    qsizetype unknownSection = -1; // the finding of the unknown section the lines are in
    const auto set = [&](auto &setting, QString &from, auto value, const QString &where, const IniLine &line) {
        if (setting)
            overridden << QStringLiteral("%1: %2 non conta: la stessa chiave torna alla riga %3.").arg(from, line.key).arg(line.line);
        setting = value;
        from = where;
    };
    for (const IniLine &line : iniLines(text)) {
        const QString where = QStringLiteral("%1, riga %2").arg(file).arg(line.line);
        const int inSection = sectionConcern(line.section);
        const int key = keyConcern(line.key);
        const auto problem = [&](const QString &what, int concern) { findings.append({where, what, concern}); };
        if (line.kind == IniLine::Kind::Section) {
            unknownSection = -1;
            if (inSection == kNothing) {
                findings.append({where, QStringLiteral("la sezione «%1» non esiste (ci sono [Record] e [Register])").arg(line.section), kNothing, true});
                unknownSection = findings.size() - 1;
            }
        } else if (unknownSection >= 0) {
            findings[unknownSection].concern |= key; // said once, at the section
        } else if (line.kind == IniLine::Kind::Other) {
            problem(QStringLiteral("la riga non è né una sezione «[Nome]» né un'impostazione «Chiave=valore»"), inSection);
        } else if (line.section.isEmpty()) {
            problem(key ? QStringLiteral("«%1» è fuori da ogni sezione: va sotto %2").arg(line.key, sectionOf(key))
                        : QStringLiteral("«%1» è fuori da ogni sezione, e non è una chiave di Tarvimonda").arg(line.key),
                    key);
        } else if (key != inSection) {
            problem(QStringLiteral("la chiave «%1» non esiste nella sezione [%2]%3")
                        .arg(line.key, line.section, key ? QStringLiteral(": va sotto %1").arg(sectionOf(key)) : QString()),
                    key ? key : inSection);
        } else if (line.badQuotes) {
            problem(QStringLiteral("le virgolette di «%1» non sono chiuse").arg(readablePath(line.value)), key);
        } else if (key == kRecord && line.value.isEmpty()) {
            problem(QStringLiteral("Folder non indica alcuna cartella"), key);
        } else if (key == kRecord && line.value.contains('\0')) {
            problem(QStringLiteral("la cartella «%1» contiene un byte nullo, che nessun percorso può avere")
                        .arg(readablePath(line.value)), key);
        } else if (key == kRecord) {
            set(reading.folder, reading.folderFrom, resolved(line.value, file), where, line);
        } else if (is(line.key, "MaxMB")) {
            bool number = false;
            const int megabytes = line.value.toInt(&number);
            if (number && megabytes > 0)
                set(reading.maxMB, reading.maxMBFrom, megabytes, where, line);
            else
                problem(QStringLiteral("MaxMB=%1 non è un numero di megabyte maggiore di zero").arg(readablePath(line.value)), key);
        } else if (const auto on = yesOrNo(line.value)) {
            set(reading.enabled, reading.enabledFrom, *on, where, line);
        } else {
            problem(QStringLiteral("Enabled=%1 non si capisce: si scrive true o false (oppure sì o no, vero o falso, 1 o 0)")
                        .arg(readablePath(line.value)), key);
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
    QList<Finding> findings;
    for (const QString &file : files) {
        QString error;
        const auto text = contentOf(file, &error);
        if (!text) {
            findings.append({file, QStringLiteral("il file non si può leggere (%1)").arg(error), kRecord | kRegister});
            continue;
        }
        c.files << file;
        const FileReading reading = judge(file, *text, findings, c.overridden);
        const auto counts = [&](bool already, const QString &from, const QString &key, const QString &winner) {
            if (already && !from.isEmpty())
                c.overridden << QStringLiteral("%1: %2 non conta: vale quella di %3.").arg(from, key, winner);
            return !already && !from.isEmpty();
        };
        if (counts(c.recordFolder.has_value(), reading.folderFrom, QStringLiteral("Folder"), c.recordFolderFrom)) {
            c.recordFolder = reading.folder;
            c.recordFolderFrom = reading.folderFrom;
        }
        if (counts(!c.registerMaxMBFrom.isEmpty(), reading.maxMBFrom, QStringLiteral("MaxMB"), c.registerMaxMBFrom)) {
            c.registerMaxMB = *reading.maxMB;
            c.registerMaxMBFrom = reading.maxMBFrom;
        }
        if (counts(!c.registerEnabledFrom.isEmpty(), reading.enabledFrom, QStringLiteral("Enabled"), c.registerEnabledFrom)) {
            c.registerEnabled = *reading.enabled;
            c.registerEnabledFrom = reading.enabledFrom;
        }
    }
    // Said once all files are read: what the class gets instead.
    for (const Finding &finding : findings) {
        const QString then = finding.concern ? consequence(finding.concern, c)
                             : finding.section ? QStringLiteral("le sue righe non valgono")
                                               : QStringLiteral("la riga non vale");
        c.problems << QStringLiteral("%1: %2; %3.").arg(finding.where, finding.what, then);
    }
    return c;
}
