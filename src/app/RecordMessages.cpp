#include "app/RecordMessages.h"

#include "startup/ConfigurationMessages.h"
#include "state/Numbers.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

#include <cerrno>

using record::Cause;
using record::Happened;
using record::Outcome;

// What the pupil reads: what happened, in a sentence or two, and whom to
// call. Paths, groups and commands are for the teacher's check.
namespace {

const QString kRecordSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

// The teacher finds the why, and the fix, in the check's report.
const QString kCallTheTeacher = QStringLiteral("Chiama l'insegnante: con «tarvimonda --check» vede il perché e come "
                                               "rimediare.");

// What went wrong, as the pupil can understand it.
QString whatHappened(const Outcome &outcome)
{
    switch (outcome.cause) {
    case Cause::GroupNotActive:
        return QStringLiteral("questo account potrà usare la cartella del record dopo essere uscito dalla sessione "
                              "ed essere rientrato");
    case Cause::NoAnswer:
    case Cause::CutShort: return QStringLiteral("la cartella del record non ha risposto in tempo");
    case Cause::LockBusy: return QStringLiteral("un altro gioco ha tenuto occupato il record per tutta l'attesa");
    case Cause::Unreadable: return QStringLiteral("il record attuale non si può leggere");
    case Cause::FolderInPlace:
    case Cause::OtherInPlace:
    case Cause::Protected:
    case Cause::WriteFailed:
    case Cause::NotSynced:
    case Cause::PendingKept:
    case Cause::LockUnusable: return QStringLiteral("un file del record non si può scrivere");
    case Cause::KeeperMissing:
    case Cause::KeeperFailed: return QStringLiteral("il programma che custodisce il record non ha funzionato");
    case Cause::RootRefused:
        return QStringLiteral("il gioco è stato avviato come amministratore, e si gioca con un account normale");
    case Cause::BadRequest:
        return outcome.refused == record::RequestPart::Name ? QStringLiteral("il nome è troppo lungo o non è un testo valido")
                                      : QStringLiteral("il gioco ha chiesto al custode del record una cosa non valida");
    case Cause::RegisterOff: return QStringLiteral("in questo computer il registro è spento");
    case Cause::RegisterFull:
        return outcome.error == ENOSPC ? QStringLiteral("il disco è quasi pieno")
                                       : QStringLiteral("il registro è pieno");
    default: return QStringLiteral("la cartella del record non si può usare");
    }
}

QString unconfirmedRecord(const Outcome &outcome)
{
    switch (outcome.cause) {
    case Cause::CutShort:
        return QStringLiteral("Il salvataggio del record non è confermato: la cartella ha smesso di rispondere "
                              "mentre il gioco scriveva. Se non è finito, il gioco lo completerà al prossimo avvio.");
    case Cause::NotSynced:
        return QStringLiteral("Ho registrato il tuo record, ma il disco non ha confermato la scrittura: il gioco se "
                              "ne assicurerà al prossimo avvio.");
    default:
        return QStringLiteral("Il tuo record è scritto, ma il disco non ha confermato il cambio: il gioco lo "
                              "completerà al prossimo avvio.");
    }
}

// What a pupil who beat the record shown at start is told when another game
// set a record at least as good in the meantime.
QString recordTakenMeanwhile(const record::Pair &onDisk)
{
    QString holder = onDisk.name.trimmed();
    if (holder.isEmpty())
        holder = QStringLiteral("un altro giocatore");
    const int points = toInt16(leadingNumber(onDisk.score));
    return QStringLiteral("Nel frattempo %1 ha stabilito il record con %2 %3.")
        .arg(holder, formatPlain(points), points == 1 ? QStringLiteral("punto") : QStringLiteral("punti"));
}

QString registerMessage(const Outcome &outcome)
{
    if (outcome.happened == Happened::Unconfirmed && outcome.cause == Cause::CutShort)
        return QStringLiteral("La partita potrebbe non essere stata aggiunta al registro: la cartella ha smesso di "
                              "rispondere durante la scrittura.");
    if (outcome.happened == Happened::Unconfirmed)
        return QStringLiteral("La partita è stata aggiunta al registro, ma il disco non ha confermato la scrittura.");
    return QStringLiteral("Non è stato possibile aggiungere questa partita al registro: %1. %2")
        .arg(whatHappened(outcome), kCallTheTeacher);
}

} // namespace

QString waitNotice(RecordStep step, bool classFolder)
{
    switch (step) {
    case RecordStep::Start:
        return classFolder ? QStringLiteral("Sto leggendo il record nella cartella della classe…")
                           : QStringLiteral("Sto leggendo il record…");
    case RecordStep::Save:
        return classFolder ? QStringLiteral("Sto salvando il record nella cartella della classe…")
                           : QStringLiteral("Sto salvando il record…");
    case RecordStep::Register:
        return classFolder ? QStringLiteral("Sto scrivendo la partita nel registro della classe…")
                           : QStringLiteral("Sto scrivendo la partita nel registro…");
    }
    return {};
}

RecordContext recordContextFor(const ClassroomSettings &settings)
{
    const RecordFolderChoice folder = recordFolderOf(settings);
    const passwd *account = ::getpwuid(::getuid());
    const int limitMs = settings.recordWaitMs + kSilentFolderGraceMs;
    return {QDir::toNativeSeparators(QFile::decodeName(folder.path)),
            settings.recordFolderChosen ? chosenInText(settings.recordFolderFrom) : QString(),
            folder.classFolder,
            settings.recordWaitMs / 1000,
            limitMs / 1000,
            keeperProgramOf(settings),
            account ? QString::fromUtf8(account->pw_name) : QString::number(::getuid())};
}

std::optional<QString> startProblem(const Outcome &start, const RecordContext &context)
{
    if (start.cause == Cause::None)
        return std::nullopt;
    if (start.happened == Happened::Read && start.cause == Cause::LockBusy)
        return QStringLiteral("Un altro gioco tiene occupato il record da più di %1 secondi: alla fine della gara "
                              "il record potrebbe non essere salvato. Se succede ancora, %2")
            .arg(context.waitSeconds)
            .arg(kCallTheTeacher.front().toLower() + kCallTheTeacher.mid(1));
    return QStringLiteral("Si può giocare, ma il record non sarà salvato: %1. %2")
        .arg(whatHappened(start), kCallTheTeacher);
}

QList<RecordMessage> endMessages(const record::GameEndOutcome &end)
{
    QList<RecordMessage> messages;
    const Outcome &saved = end.record;
    switch (saved.happened) {
    case Happened::Saved: messages.append({kRecordSaved, Dialogs::Icon::None}); break;
    case Happened::Beaten: messages.append({recordTakenMeanwhile(saved.pair), Dialogs::Icon::Information}); break;
    case Happened::Unconfirmed: messages.append({unconfirmedRecord(saved), Dialogs::Icon::Warning}); break;
    case Happened::Failed:
        messages.append({QStringLiteral("Non è stato possibile salvare il record: %1. %2")
                             .arg(whatHappened(saved), kCallTheTeacher),
                         Dialogs::Icon::Warning});
        break;
    default: break;
    }
    const Outcome &line = end.registerLine;
    if (line.happened == Happened::Failed || line.happened == Happened::Unconfirmed)
        messages.append({registerMessage(line), Dialogs::Icon::Warning});
    return messages;
}
