#include "startup/CommandLine.h"

#include "startup/Version.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <optional>

namespace {

const QString kHelp = QStringLiteral(
    "Uso: tarvimonda [--record-folder CARTELLA]\n"
    "     tarvimonda --check [--record-folder CARTELLA]\n"
    "     tarvimonda --register [FILE] [--export-pdf FILE.pdf] [--export-csv FILE.csv]\n"
    "     tarvimonda --register [FILE] --export-pdf FILE.pdf --pupil NOME\n"
    "     tarvimonda --help | --version\n"
    "\n"
    "Tarvimonda: un gioco per allenarsi a calcolare il valore di espressioni con i monomi.\n"
    "\n"
    "Opzioni:\n"
    "  -h, --help                 mostra questo aiuto ed esce\n"
    "  -v, --version              mostra la versione ed esce\n"
    "  --check                    dice quali file di configurazione valgono, quale cartella\n"
    "                             del record si usa e se questo account ci può salvare;\n"
    "                             esce con 0 se il record si può tenere, 1 se no\n"
    "  --record-folder CARTELLA   tiene il record e il registro nella CARTELLA indicata,\n"
    "                             invece di quella del file di configurazione o di quella\n"
    "                             personale (~/.local/share/tarvimonda)\n"
    "  --register [FILE]          apre il registro della classe (senza FILE, il registro.csv\n"
    "                             della cartella del record)\n"
    "  --export-pdf FILE.pdf      con --register: scrive il report di tutto il registro in PDF,\n"
    "                             senza aprire finestre\n"
    "  --export-csv FILE.csv      con --register: scrive la tabella riassuntiva in CSV\n"
    "  --pupil NOME               con --export-pdf: scrive solo la scheda dell'alunno NOME\n"
    "\n"
    "File di configurazione: tarvimonda/tarvimonda.conf, cercato prima in ~/.config\n"
    "(XDG_CONFIG_HOME), poi in /etc/xdg (XDG_CONFIG_DIRS). Due sezioni:\n"
    "  [Record]\n"
    "  Folder=/var/lib/tarvimonda   una cartella comune: un record per tutta la classe\n"
    "  [Register]\n"
    "  Enabled=true                 ogni partita finita aggiunge una riga a registro.csv\n"
    "\n"
    "Accetta anche le opzioni di Qt, per esempio -platform xcb.\n"
    "Manuale: man tarvimonda e /usr/share/doc/tarvimonda/manuale-insegnanti.md\n");

// The toolkit's own options, which QApplication reads and removes: those
// that take the next argument as their value, then those that stand alone.
const QStringList kToolkitWithValue{
    QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),   QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("display"),        QStringLiteral("geometry"),
    QStringLiteral("title"),    QStringLiteral("name"),               QStringLiteral("icon"),
    QStringLiteral("session"),  QStringLiteral("style"),              QStringLiteral("stylesheet")};
const QStringList kToolkitAlone{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                                QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
                                QStringLiteral("qmljsdebugger")};

CommandLine error(const QString &message)
{
    return {CommandLine::Action::Error, {}, {},
            QStringLiteral("tarvimonda: %1 (per l'aiuto: tarvimonda --help)\n").arg(message)};
}

// A folder as given, made absolute without decoding a byte of it.
QByteArray absolute(const QByteArray &folder)
{
    std::error_code error;
    const std::string here = std::filesystem::current_path(error).native();
    // From a folder that has gone, the system resolves it as it stands.
    QByteArray path = folder.startsWith('/') || error ? folder : QByteArray::fromStdString(here) + '/' + folder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << QFile::encodeName(argument);
    return parseCommandLine(bytes);
}

CommandLine parseCommandLine(const QList<QByteArray> &raw)
{
    QStringList arguments;
    for (const QByteArray &argument : raw)
        arguments << QFile::decodeName(argument);
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--check") {
            line.action = CommandLine::Action::Check;
            continue;
        }
        if (argument == u"-h" || argument == u"--help")
            return {CommandLine::Action::Help, {}, {}, kHelp};
        if (argument == u"-v" || argument == u"--version")
            return {CommandLine::Action::Version, {}, {}, QStringLiteral("tarvimonda " TARVIMONDA_VERSION "\n")};
        if (!argument.startsWith(u'-') || argument == u"-")
            return error(QStringLiteral("argomento non previsto: «%1»").arg(argument));

        // One dash or two, and an optional "=value", for ours and Qt's alike.
        const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1).section(u'=', 0, 0);
        const qsizetype equals = argument.indexOf(u'=');
        std::optional<QString> value;
        QByteArray bytes; // the value as the system holds it
        if (equals >= 0) {
            value = argument.mid(equals + 1);
            bytes = raw[i].mid(raw[i].indexOf('=') + 1);
        }
        if (name == u"register") {
            // The file is optional: "--register --export-pdf x.pdf" reads the class's own.
            if (!value && i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-'))
                value = arguments[++i];
            if (value && value->isEmpty())
                return error(QStringLiteral("manca il valore dopo «%1»").arg(argument));
            line.action = CommandLine::Action::Register;
            line.registerFile = value ? QDir::cleanPath(QDir::current().absoluteFilePath(*value)) : QString();
            continue;
        }
        QString *const exportTo = name == u"export-pdf" ? &line.exportPdf : name == u"export-csv" ? &line.exportCsv : nullptr;
        if (name == u"pupil") {
            // "--pupil=-Leo" for a name that starts with a dash.
            if (!value && i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-'))
                value = arguments[++i];
            if (!value || value->trimmed().isEmpty())
                return error(QStringLiteral("manca il nome dell'alunno dopo «%1»").arg(argument));
            line.pupil = *value;
            continue;
        }
        const bool ours = name == u"record-folder" || exportTo;
        if (ours || kToolkitWithValue.contains(name)) {
            // "--record-folder --help" lacks its folder; "=-x" or "./-x"
            // name a folder that starts with a dash.
            if (!value && i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-')) {
                value = arguments[++i];
                bytes = raw[i];
            }
            if (!value || value->isEmpty())
                return error(QStringLiteral("manca il valore dopo «%1»").arg(argument));
            if (exportTo)
                *exportTo = QDir::cleanPath(QDir::current().absoluteFilePath(*value));
            else if (ours)
                line.recordFolder = absolute(bytes);
            else if (name == u"platform")
                line.platform = *value;
        } else if (!kToolkitAlone.contains(name)) {
            return error(QStringLiteral("opzione sconosciuta: «%1»").arg(argument));
        }
    }
    if (line.action != CommandLine::Action::Register && !(line.exportPdf + line.exportCsv).isEmpty())
        return error(QStringLiteral("«--export-pdf» e «--export-csv» vanno usate con «--register»"));
    // The pupil's report is a PDF of its own: a class table beside it would
    // name everyone else.
    if (!line.pupil.isEmpty() && (line.exportPdf.isEmpty() || !line.exportCsv.isEmpty()))
        return error(QStringLiteral("«--pupil» va usata con «--register» e «--export-pdf», senza «--export-csv»"));
    return line;
}

CommandLine parseCommandLine(int argc, char *argv[])
{
    // As the system holds them: a folder is never decoded into another one.
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return parseCommandLine(arguments);
}
