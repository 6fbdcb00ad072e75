#include "app/TeacherCheck.h"

#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/ConfigurationMessages.h"
#include "app/CheckMessages.h"
#include "app/FolderProbe.h"
#include "record/RecordNames.h"
#include "settings/Configuration.h"

#include <QFile>
#include <QStandardPaths>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString listed(const QStringList &lines, const QString &none)
{
    return lines.isEmpty() ? QStringLiteral("  %1\n").arg(none) : QStringLiteral("  %1\n").arg(lines.join(QStringLiteral("\n  ")));
}

QString existence(const QByteArray &folder)
{
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0)
        return QStringLiteral("no");
    return S_ISDIR(info.st_mode) ? QStringLiteral("sì") : QStringLiteral("c'è qualcosa con quel nome, ma non è una cartella");
}

} // namespace

CheckReport teacherCheck(const CommandLine &line, const Configuration &configuration)
{
    const ClassroomSettings settings = classroomSettings(line, configuration);
    const RecordFolderChoice choice = recordFolderOf(settings);
    const QByteArray &folder = choice.path;

    const passwd *me = ::getpwuid(::geteuid());
    const QString account = me ? QString::fromLocal8Bit(me->pw_name) : QString::number(::geteuid());

    QStringList searched;
    for (const QString &place : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        searched << place + u'/' + QLatin1StringView(kConfigurationFile);
    QString text = QStringLiteral("Tarvimonda: controllo per l'account «%1».\n\n").arg(account);
    text += QStringLiteral("File di configurazione letti (cercati, in quest'ordine: %1):\n").arg(searched.join(QStringLiteral(", ")));
    text += listed(configuration.files, QStringLiteral("nessuno: valgono le impostazioni predefinite"));
    text += QStringLiteral("Righe non usate:\n") + listed(problemTexts(configuration) + overriddenTexts(configuration), QStringLiteral("nessuna"));

    text += QStringLiteral("\nCartella del record: %1\n").arg(readablePath(folder));
    text += settings.recordFolderChosen ? QStringLiteral("  scelta %1\n").arg(chosenInText(settings.recordFolderFrom))
            : choice.classFolder        ? QStringLiteral("  nessuna cartella scelta: la cartella del record di questo "
                                                         "computer, comune a tutti gli account\n")
                                        : QStringLiteral("  nessuna cartella scelta: ogni account tiene il suo record "
                                                         "nella propria cartella personale\n");
    text += QStringLiteral("  esiste: %1\n").arg(existence(folder));
    const FolderAccess access = probeRecordFolder(settings);
    const RecordContext context = recordContextFor(settings);
    const QString note = access.madeAtFirstGame ? QStringLiteral("la cartella non c'è ancora: la prima partita la crea")
                         : access.record.cause != record::Cause::None ? checkProblem(access.record, context)
                                                                      : QString();
    text += access.canKeep() ? QStringLiteral("  questo account può tenerci il record%1\n")
                                   .arg(note.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(note))
                             : QStringLiteral("  questo account NON può tenerci il record: %1.\n").arg(note);

    const QString registerFile = readablePath(folder + '/' + kRegisterFileName);
    const bool registerRefuses = settings.registerEnabled && access.registerLine.happened == record::Happened::Failed;
    if (settings.registerEnabled)
        text += QStringLiteral("\nRegistro: acceso (%1), nel file %2\n").arg(placeText(configuration.registerEnabledFrom), registerFile);
    if (registerRefuses)
        text += QStringLiteral("  NON può ricevere altre partite: %1\n").arg(registerProblem(access.registerLine, context));
    if (!settings.registerEnabled)
        text += QStringLiteral("\nRegistro: spento (%1)\n")
                    .arg(configuration.registerEnabledFrom.isSet() ? placeText(configuration.registerEnabledFrom)
                                                                     : QStringLiteral("nessun file lo accende"));
    if (::geteuid() == 0)
        text += QStringLiteral("\nAttenzione: questo controllo è fatto come root, che può scrivere ovunque. "
                               "Ripetilo da un account di alunno: su - alunno1 -c 'tarvimonda --check'\n");
    // Every game's end would fail at its register line: not a machine that
    // keeps what the teacher asked for.
    text += !access.canKeep() ? QStringLiteral("\nEsito: il record non si può tenere in questa cartella")
            : registerRefuses ? QStringLiteral("\nEsito: il record si può tenere, ma il registro non riceve le partite")
                              : QStringLiteral("\nEsito: il record si può tenere");
    text += configuration.problems.isEmpty() ? QStringLiteral(".\n")
                                             : QStringLiteral("; righe della configurazione che non valgono: %1 (vedi sopra).\n")
                                                   .arg(configuration.problems.size());
    return {text, access.canKeep() && !registerRefuses ? 0 : 1};
}
