#include "app/CheckMessages.h"

#include "record/RecordNames.h"

#include <QDir>
#include <QFile>

#include <cerrno>

using record::Cause;
using record::Happened;
using record::Outcome;

// The teacher's side of every outcome: the folder and file named, the
// system's reason, and what to run to mend it.
namespace {

QString shown(const QByteArray &path) { return QDir::toNativeSeparators(QFile::decodeName(path)); }

QString inFolder(const RecordContext &context, const QByteArray &file)
{
    return QDir::toNativeSeparators(QDir::cleanPath(context.folder + u'/' + QFile::decodeName(file)));
}

// Who holds the lock, with its preposition: "dal programma ...".
QString heldBy(const record::Holder &holder)
{
    if (holder.pid == 0)
        return QStringLiteral("da un programma di un altro computer");
    return QStringLiteral("dal programma «%1» (processo %2 dell'utente %3)").arg(holder.program).arg(holder.pid).arg(holder.user);
}

QString lockFix(const record::Holder &holder)
{
    if (holder.pid == 0)
        return QStringLiteral("Se nessun gioco è aperto negli altri computer, l'insegnante può riavviare quello che "
                              "tiene il blocco, o aspettare che il server lo liberi.");
    return QStringLiteral("Se quel programma è fermo, l'insegnante può chiuderlo (kill %1) o riavviare il computer.")
        .arg(holder.pid);
}

// Why a folder cannot be used, the folder itself not named.
QString folderReason(const Outcome &outcome, const RecordContext &context)
{
    const QString detail = errorReason(outcome.error);
    switch (outcome.cause) {
    case Cause::FolderMissing:
        // A chosen folder is never made by the game: the teacher makes it.
        if (!context.chosenIn.isEmpty() && (outcome.error == ENOENT || outcome.error == 0))
            return QStringLiteral("la cartella non esiste, e il gioco non crea mai una cartella scelta: la crea "
                                  "l'insegnante");
        return outcome.error == ENOENT || outcome.error == 0
                   ? QStringLiteral("la cartella non esiste e non si può creare")
                   : QStringLiteral("la cartella non esiste e non si può creare (%1)").arg(detail);
    case Cause::NotAFolder: return QStringLiteral("non è una cartella");
    case Cause::FolderDenied: return QStringLiteral("non si può scrivere (%1)").arg(detail);
    case Cause::NotInGroup:
        // The class folder asked for by its path: the installed game opens
        // it by itself, with a group no pupil may join.
        if (outcome.group == QLatin1String(kKeeperGroup))
            return QStringLiteral("la cartella è quella del record di classe, che solo il gioco installato apre: "
                                  "l'insegnante toglie «--record-folder» o «Folder=» dalla configurazione di "
                                  "questo account, e il gioco la userà da sé");
        return QStringLiteral("l'account «%1» non fa parte del gruppo «%2» della cartella: l'insegnante può "
                              "aggiungerlo con «usermod -aG %2 %1», poi l'alunno deve uscire dalla sessione e rientrare")
            .arg(context.account, outcome.group);
    case Cause::GroupNotActive:
        return QStringLiteral("l'account «%1» fa parte del gruppo «%2» solo da dopo l'inizio di questa sessione: "
                              "bisogna uscire dalla sessione e rientrare, o riavviare il computer")
            .arg(context.account, outcome.group);
    case Cause::ShareNotMounted:
        return QStringLiteral("la cartella di rete %1 non è montata: l'insegnante può montarla con «mount %1»")
            .arg(shown(outcome.file));
    case Cause::FolderUnreachable: return QStringLiteral("la cartella non si può raggiungere (%1)").arg(detail);
    case Cause::NoAnswer: return QStringLiteral("non ha risposto entro %1 secondi").arg(context.limitSeconds);
    case Cause::KeeperMissing:
        return QStringLiteral("il programma che custodisce il record (%1) non si può avviare (%2): bisogna "
                              "reinstallare il gioco")
            .arg(context.keeper, detail);
    case Cause::KeeperFailed:
        return QStringLiteral("il programma che custodisce il record (%1) si è fermato senza rispondere")
            .arg(context.keeper);
    case Cause::RootRefused:
        return QStringLiteral("il gioco è stato avviato come amministratore (root), e i file che creerebbe non "
                              "si potrebbero più usare dagli alunni: si gioca con un account normale");
    case Cause::BadRequest:
        // The keeper and the window of one package speak the same protocol:
        // any other refusal is a mismatched install.
        return outcome.refused == record::RequestPart::Name
                   ? QStringLiteral("il nome è troppo lungo o non è un testo valido")
                   : QStringLiteral("il programma che custodisce il record (%1) non accetta la richiesta del gioco: "
                                    "bisogna reinstallare il gioco")
                         .arg(context.keeper);
    default: return {};
    }
}

// Why a save or a register line failed, naming what the teacher can mend.
QString stepReason(const Outcome &outcome, const RecordContext &context)
{
    const QString file = inFolder(context, outcome.file);
    const QString detail = errorReason(outcome.error);
    switch (outcome.cause) {
    case Cause::Unreadable: return QStringLiteral("il record attuale non si può leggere (file %1: %2)").arg(file, detail);
    case Cause::FolderInPlace:
        return QStringLiteral("al posto del file %1 c'è una cartella: l'insegnante può cancellarla").arg(file);
    case Cause::OtherInPlace:
        return QStringLiteral("al posto del file %1 c'è qualcos'altro (un file speciale, o un secondo nome di un "
                              "altro file): l'insegnante può cancellarlo")
            .arg(file);
    case Cause::Protected:
        return QStringLiteral("il file %1 è protetto dalla scrittura: l'insegnante può cancellarlo, o renderlo "
                              "scrivibile (chmod 664)")
            .arg(file);
    case Cause::WriteFailed: return QStringLiteral("il file %1 non si può scrivere: %2").arg(file, detail);
    case Cause::PendingKept:
        return QStringLiteral("un salvataggio precedente non si è potuto completare (%1: %2)").arg(file, detail);
    case Cause::LockBusy:
        return QStringLiteral("la cartella %1 è rimasta bloccata %2 per tutti i %3 secondi di attesa. %4")
            .arg(context.folder, heldBy(outcome.holder))
            .arg(context.waitSeconds)
            .arg(lockFix(outcome.holder));
    case Cause::LockUnusable:
        if (outcome.error == EACCES || outcome.error == EPERM)
            return QStringLiteral("il file %1 non si può usare (%2): l'insegnante può cancellarlo, il programma lo "
                                  "crea di nuovo")
                .arg(file, detail);
        return QStringLiteral("la cartella %1 non si può bloccare per la scrittura (%2)").arg(context.folder, detail);
    case Cause::NoAnswer: return QStringLiteral("la cartella %1 %2").arg(context.folder, folderReason(outcome, context));
    default: return folderReason(outcome, context);
    }
}

// Why the register refuses a line: the file named, and the fix.
QString registerDetail(const Outcome &outcome, const RecordContext &context)
{
    const QString file = inFolder(context, kRegisterFileName);
    switch (outcome.cause) {
    case Cause::FolderInPlace:
        return QStringLiteral("al posto del file %1 c'è una cartella: l'insegnante può cancellarla").arg(file);
    case Cause::WriteFailed: return QStringLiteral("il file %1 non si può scrivere: %2").arg(file, errorReason(outcome.error));
    case Cause::RegisterOff:
        return QStringLiteral("in questo computer il registro è spento: lo accende root nella configurazione del "
                              "computer (%1, [Register] Enabled=sì)")
            .arg(QLatin1String(kMachineConfigurationFile));
    case Cause::RegisterFull:
        return outcome.error == ENOSPC
                   ? QStringLiteral("il disco di %1 è quasi pieno, e lo spazio che resta serve al record").arg(file)
                   : QStringLiteral("il registro %1 ha raggiunto la sua dimensione massima ([Register] MaxMB nella "
                                    "configurazione): l'insegnante può archiviarlo e cominciarne uno nuovo")
                         .arg(file);
    default: return stepReason(outcome, context);
    }
}

} // namespace

QString checkProblem(const Outcome &check, const RecordContext &context)
{
    // The check takes no time to wait: it tells the lock as it finds it.
    if (check.cause == Cause::LockBusy)
        return QStringLiteral("la cartella %1 è bloccata in questo momento %2 (il controllo non aspetta; una "
                              "partita che finisce aspetta fino a %3 secondi). %4")
            .arg(context.folder, heldBy(check.holder))
            .arg(context.waitSeconds)
            .arg(lockFix(check.holder));
    return stepReason(check, context);
}

QString registerProblem(const Outcome &outcome, const RecordContext &context)
{
    return registerDetail(outcome, context);
}

