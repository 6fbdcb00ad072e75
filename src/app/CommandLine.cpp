#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

namespace {

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("Mostra questo aiuto ed esce."));
const QCommandLineOption kVersion({QStringLiteral("v"), QStringLiteral("version")},
                                  QStringLiteral("Mostra la versione ed esce."));
const QCommandLineOption kRecordFolder(QStringLiteral("record-folder"),
                                       QStringLiteral("Tiene il record nella cartella indicata invece di quella "
                                                      "scelta dal file di configurazione o di quella personale."),
                                       QStringLiteral("cartella"));

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Tarvimonda: un gioco per allenarsi a calcolare il valore di espressioni con i monomi.\n"
        "Il record si può condividere fra più utenti con la chiave Folder del gruppo [Record]\n"
        "nel file tarvimonda/tarvimonda.conf (in ~/.config o in /etc/xdg)."));
    parser.addOptions({kHelp, kVersion, kRecordFolder});
}

} // namespace

bool wantsTextOnly(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    parser.parse(arguments); // unknown options (the toolkit's own) do not matter here
    return parser.isSet(kHelp) || parser.isSet(kVersion);
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    CommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(kHelp)) {
        line.action = CommandLine::Action::Help;
        line.text = parser.helpText();
    } else if (parser.isSet(kVersion)) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion());
    } else if (!parsed || !parser.positionalArguments().isEmpty()) {
        line.action = CommandLine::Action::Error;
        line.text = (parsed ? QStringLiteral("Argomento non previsto: %1").arg(parser.positionalArguments().join(u' '))
                            : parser.errorText())
                    + QStringLiteral("\nPer l'aiuto: tarvimonda --help\n");
    } else if (parser.isSet(kRecordFolder)) {
        line.recordFolder = parser.value(kRecordFolder);
        if (line.recordFolder.isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.text = QStringLiteral("--record-folder vuole il nome di una cartella.\n");
        } else {
            line.recordFolder = QDir::cleanPath(QDir::current().absoluteFilePath(line.recordFolder));
        }
    }
    return line;
}
