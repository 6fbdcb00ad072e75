#include "startup/ConfigurationMessages.h"

#include "startup/SystemErrors.h"

using Kind = ConfigurationProblem::Kind;

namespace {

QString sectionOf(int concern)
{
    return concern == kConcernsRecord ? QStringLiteral("[Record]") : QStringLiteral("[Register]");
}

QString what(const ConfigurationProblem &p)
{
    const int key = p.key.isEmpty() ? kConcernsNothing : p.concerns;
    switch (p.kind) {
    case Kind::Unreadable: return QStringLiteral("il file non si può leggere (%1)").arg(errorReason(p.error));
    case Kind::NotAFile: return QStringLiteral("il file non si può leggere (non è un file)");
    case Kind::UnknownSection:
        return QStringLiteral("la sezione «%1» non esiste (ci sono [Record] e [Register])").arg(p.section);
    case Kind::NotASetting:
        return QStringLiteral("la riga non è né una sezione «[Nome]» né un'impostazione «Chiave=valore»");
    case Kind::OutsideSections:
        return key ? QStringLiteral("«%1» è fuori da ogni sezione: va sotto %2").arg(p.key, sectionOf(key))
                   : QStringLiteral("«%1» è fuori da ogni sezione, e non è una chiave di Tarvimonda").arg(p.key);
    case Kind::WrongSection: {
        // The key's own concern, when it has one, differs from its section's.
        const bool known = p.key.compare(QLatin1String("Folder"), Qt::CaseInsensitive) == 0
                           || p.key.compare(QLatin1String("Enabled"), Qt::CaseInsensitive) == 0
                           || p.key.compare(QLatin1String("MaxMB"), Qt::CaseInsensitive) == 0;
        return QStringLiteral("la chiave «%1» non esiste nella sezione [%2]%3")
            .arg(p.key, p.section, known ? QStringLiteral(": va sotto %1").arg(sectionOf(p.concerns)) : QString());
    }
    case Kind::OpenQuotes: return QStringLiteral("le virgolette di «%1» non sono chiuse").arg(readablePath(p.value));
    case Kind::NoFolder: return QStringLiteral("Folder non indica alcuna cartella");
    case Kind::NulInFolder:
        return QStringLiteral("la cartella «%1» contiene un byte nullo, che nessun percorso può avere")
            .arg(readablePath(p.value));
    case Kind::BadMaxMB:
        return QStringLiteral("MaxMB=%1 non è un numero di megabyte maggiore di zero").arg(readablePath(p.value));
    case Kind::BadEnabled:
        return QStringLiteral("Enabled=%1 non si capisce: si scrive true o false (oppure sì o no, vero o falso, 1 o 0)")
            .arg(readablePath(p.value));
    }
    return {};
}

// What the class gets instead of what the line would have set.
QString consequence(const ConfigurationProblem &p, const Configuration &c)
{
    if (p.concerns == kConcernsNothing)
        return p.kind == Kind::UnknownSection ? QStringLiteral("le sue righe non valgono") : QStringLiteral("la riga non vale");
    QStringList parts;
    if (p.concerns & kConcernsRecord)
        parts << (c.recordFolder ? QStringLiteral("il record resta nella cartella indicata in %1").arg(placeText(c.recordFolderFrom))
                                 : QStringLiteral("il record resta personale per ogni alunno"));
    if (p.concerns & kConcernsRegister)
        parts << (!c.registerEnabledFrom.isSet() ? QStringLiteral("il registro non è tenuto")
                  : c.registerEnabled ? QStringLiteral("il registro resta acceso come dice %1").arg(placeText(c.registerEnabledFrom))
                                      : QStringLiteral("il registro resta spento come dice %1").arg(placeText(c.registerEnabledFrom)));
    return parts.join(QStringLiteral("; "));
}

} // namespace

QString placeText(const ConfigurationPlace &place)
{
    return place.line > 0 ? QStringLiteral("%1, riga %2").arg(place.file).arg(place.line) : place.file;
}

QString chosenInText(const ConfigurationPlace &recordFolderFrom)
{
    return recordFolderFrom.isSet() ? QStringLiteral("in %1").arg(placeText(recordFolderFrom))
                                    : QStringLiteral("nell'opzione --record-folder");
}

QStringList problemTexts(const Configuration &configuration)
{
    QStringList texts;
    for (const ConfigurationProblem &problem : configuration.problems)
        texts << QStringLiteral("%1: %2; %3.").arg(placeText(problem.where), what(problem), consequence(problem, configuration));
    return texts;
}

QStringList overriddenTexts(const Configuration &configuration)
{
    QStringList texts;
    for (const OverriddenSetting &line : configuration.overridden)
        texts << (line.where.file == line.winner.file
                      ? QStringLiteral("%1: %2 non conta: la stessa chiave torna alla riga %3.")
                            .arg(placeText(line.where), line.key)
                            .arg(line.winner.line)
                      : QStringLiteral("%1: %2 non conta: vale quella di %3.")
                            .arg(placeText(line.where), line.key, placeText(line.winner)));
    return texts;
}
