#include "registerview/RegisterMessages.h"

#include "record/RecordNames.h"
#include "registerview/ChartData.h"
#include "startup/SystemErrors.h"

#include <QDir>

namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

QString registerProblemText(const ReadProblem &problem, const QString &path)
{
    switch (problem.kind) {
    case ReadProblem::Kind::None: return {};
    case ReadProblem::Kind::Missing:
        return QStringLiteral("Nessuna partita è ancora stata registrata: il registro sarà il file %1.").arg(native(path));
    case ReadProblem::Kind::Forbidden:
        if (problem.group.isEmpty())
            return QStringLiteral("Non hai il permesso di leggere il registro %1: chiedi all'amministratore "
                                  "di darti il permesso di lettura.")
                .arg(native(path));
        // The keeper's own group is given to teachers alone, by the way the
        // teachers' manual shows: never advised to whoever runs this.
        if (problem.group == QLatin1String(kKeeperGroup))
            return QStringLiteral("Non hai il permesso di leggere il registro %1: è nella cartella della classe, che "
                                  "leggono solo gli insegnanti. Chiedi all'amministratore, come spiega il manuale per "
                                  "gli insegnanti.")
                .arg(native(path));
        return QStringLiteral("Non hai il permesso di leggere il registro %1. Per leggerlo il tuo account deve far "
                              "parte del gruppo «%2»: l'amministratore lo aggiunge con «usermod -aG %2 %3». "
                              "Poi esci dalla sessione e rientra.")
            .arg(native(path), problem.group,
                 problem.account.isEmpty() ? QStringLiteral("NOME") : problem.account);
    case ReadProblem::Kind::NotAFile:
        return QStringLiteral("Non riesco a leggere il registro %1: al suo posto non c'è un file normale.")
            .arg(native(path));
    case ReadProblem::Kind::Failed:
        return QStringLiteral("Non riesco a leggere il registro %1: %2.").arg(native(path), errorReason(problem.error));
    }
    return {};
}

QString unreadLinesText(int count)
{
    return count == 1 ? QStringLiteral("1 riga non letta") : QStringLiteral("%1 righe non lette").arg(count);
}

QString unreadReasonText(UnreadReason reason)
{
    switch (reason) {
    case UnreadReason::FieldCount:
        return QStringLiteral("non ha i campi di una partita (Data;Ora;Nome;Esatte;Errate;Totali;Record)");
    case UnreadReason::OpenQuote: return QStringLiteral("ha delle virgolette aperte e mai chiuse");
    case UnreadReason::Date: return QStringLiteral("la data non si capisce (si legge come 2025-03-05 o 05/03/2025)");
    case UnreadReason::Time: return QStringLiteral("l'ora non si capisce (si legge come 10:05:00 o 10:05)");
    case UnreadReason::NotNumbers: return QStringLiteral("Esatte, Errate o Totali non è un numero");
    case UnreadReason::Inconsistent: return QStringLiteral("Totali è minore di Esatte o di Errate");
    case UnreadReason::RecordFlag: return QStringLiteral("Record non è né «sì» né «no»");
    }
    return {};
}

QString unreadListHeading(int count, qsizetype listed)
{
    QString text = QStringLiteral("Il registro ha %1: queste righe del file sono state saltate.").arg(unreadLinesText(count));
    if (listed < count)
        text += QStringLiteral(" Qui sono elencate le prime %1.").arg(listed);
    return text;
}

QString cannotWriteText(const QString &path, int error)
{
    return QStringLiteral("Non è stato possibile scrivere il file %1: %2.").arg(native(path), errorReason(error));
}

QString unknownPupilText(const QString &name, const QString &path)
{
    return QStringLiteral("nel registro %1 non c'è nessuna partita di «%2»: nessuna scheda è stata scritta.")
        .arg(native(path), name);
}

QString emptyChartText(const ChartData &chart)
{
    return QStringLiteral("Nessuna partita da mostrare. Periodo: %1.").arg(chart.period);
}

QString pageNumberText(int page, int pages) { return QStringLiteral("Pagina %1 di %2").arg(page).arg(pages); }
