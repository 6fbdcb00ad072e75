#include "record/RecordFiles.h"

#include "record/PendingSave.h"
#include "record/RecordIo.h"
#include "record/RecordLock.h"
#include "record/RecordText.h"
#include "record/WorkGate.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString writeFailure(const QString &path, const QString &detail)
{
    return saveFailure(QStringLiteral("il file %1 non si può scrivere "
                                      "(spazio su disco esaurito o permesso negato: %2).")
                           .arg(shown(path), detail));
}

QByteArray recordLine(const QString &text) { return encodeRecordText(text) + "\r\n"; }

QString decoded(const recordio::Head &head)
{
    return head.cut ? decodeRecordPrefix(head.bytes) : decodeRecordText(head.bytes);
}

QString lockFailure(RecordLock::Result result, const RecordLock &lock, const RecordFolder &folder)
{
    if (result == RecordLock::Result::Busy)
        return saveFailure(QStringLiteral("un'altra copia del programma sta salvando il record "
                                          "nella cartella %1 e non ha finito in tempo.")
                               .arg(shown(folder.path())));
    return saveFailure(lock.failure());
}

bool isFolder(const QString &path) { return recordio::kindOf(path) == recordio::Kind::Folder; }

bool mayWrite(WorkGate *gate) { return !gate || gate->beginWriting(); }

// Writes both files through a pending save; the caller holds the lock.
std::optional<QString> writePair(const RecordFolder &folder, const QString &score, const QString &name)
{
    for (const char *file : {kScoreFileName, kNameFileName})
        if (isFolder(folder.file(file)))
            return saveFailure(QStringLiteral("il file %1 è una cartella.").arg(shown(folder.file(file))));
    recordio::removeLeftoverStaging(folder.path(), {QLatin1StringView(kScoreFileName), QLatin1StringView(kNameFileName),
                                                    QLatin1StringView(kPendingName)});
    const QString pendingPath = folder.file(kPendingName);
    const QByteArray scoreLine = recordLine(score);
    const QByteArray nameLine = recordLine(name);
    if (auto why = recordio::replaceWhole(pendingPath, pendingContent(scoreLine, nameLine),
                                          recordio::fileModeFor(folder.path())))
        return writeFailure(pendingPath, *why);
    // The pending save must be on disk before either record file changes.
    if (const int error = recordio::syncFolder(folder.path())) {
        recordio::removeEntry(pendingPath);
        return writeFailure(pendingPath, recordio::reason(error));
    }
    if (const PairPlacement placed = putPairInPlace(folder, scoreLine, nameLine); placed.failure) {
        // The pair is as it was, or the next start completes it from the
        // pending save; only a pair left as it was lets it go.
        if (!placed.halfWay)
            recordio::removeEntry(pendingPath);
        return writeFailure(folder.file(kScoreFileName), *placed.failure);
    }
    // Kept when the folder does not confirm the renames: the pending save
    // then holds the same pair, and the next start makes sure of it.
    if (const int error = recordio::syncFolder(folder.path()))
        return saveFailure(QStringLiteral("la cartella %1 non ha confermato la scrittura sul disco (%2).")
                               .arg(shown(folder.path()), recordio::reason(error)));
    recordio::removeEntry(pendingPath);
    return std::nullopt;
}

} // namespace

QString saveFailure(const QString &reason)
{
    return QStringLiteral("Non è stato possibile salvare il record: %1").arg(reason);
}

QString Leggifiletxt(const QString &nomefile) { return decoded(recordio::readRegular(nomefile, kMaxRecordBytes)); }

bool prepareRecordFiles(const RecordFolder &folder, int lockWaitMs, WorkGate *gate)
{
    bool ok = true;
    if (recordio::kindOf(folder.file(kPendingName)) != recordio::Kind::Missing) {
        RecordLock lock(folder);
        ok = lock.acquire(lockWaitMs, [gate] { return gate && gate->isAbandoned(); }) == RecordLock::Result::Held
             && mayWrite(gate) && !finishPendingSave(folder); // a pending save kept is shown instead
    }
    // Empty files change no record: made only while the window still waits.
    if (gate && gate->isAbandoned())
        return false;
    const mode_t mode = recordio::fileModeFor(folder.path());
    for (const char *fileName : {kScoreFileName, kNameFileName})
        ok = recordio::createIfMissing(folder.file(fileName), mode) == 0 && ok;
    return ok;
}

ReadRecord readRecord(const RecordFolder &folder)
{
    ReadRecord record;
    QString *texts[] = {&record.text.score, &record.text.name};
    const char *names[] = {kScoreFileName, kNameFileName};
    for (int i = 0; i < 2; ++i) {
        const recordio::Head head = recordio::readRegular(folder.file(names[i]), kMaxRecordBytes);
        if (head.error == EISDIR && !record.failure)
            record.failure = QStringLiteral("il file %1 è una cartella").arg(shown(folder.file(names[i])));
        else if (!recordio::holdsNoRecord(head.error) && !record.failure)
            record.failure = QStringLiteral("file %1: %2")
                                 .arg(shown(folder.file(names[i])), recordio::reason(head.error));
        *texts[i] = decoded(head);
    }
    return record;
}

RecordText loadRecord(const RecordFolder &folder) { return readRecord(folder).text; }

StartRecord startRecord(const RecordFolder &folder, int lockWaitMs, WorkGate *gate)
{
    StartRecord start;
    const auto abandoned = [gate] { return gate && gate->isAbandoned(); };
    folder.make();
    start.problem = folder.problem();
    // A file that cannot be prepared is left to the save, which replaces
    // what can be replaced and says what cannot.
    if (!start.problem)
        (void)prepareRecordFiles(folder, lockWaitMs, gate);
    // Shared: starting games read side by side, but never while a save
    // writes. A folder that cannot hold the lock file is still read.
    RecordLock lock(folder, RecordLock::Mode::Shared);
    if (!start.problem)
        lock.acquire(lockWaitMs, abandoned);
    start.shown = loadRecord(folder);
    // A save that could not be completed yet is the record that stands.
    if (const auto pending = readPendingSave(folder))
        start.shown = {decodeRecordText(pending->first), decodeRecordText(pending->second)};
    return start;
}

SaveOutcome saveRecordIfBetter(const RecordFolder &folder, const QString &score, const QString &name,
                               const std::function<bool(const RecordText &onDisk)> &beats, int lockWaitMs,
                               const std::function<void(bool newRecord)> &afterwards, WorkGate *gate)
{
    SaveOutcome outcome;
    // The folder may have gone since start-up.
    folder.make();
    if (!folder.isThere()) {
        outcome.failure = saveFailure(QStringLiteral("la cartella %1 non si può creare.").arg(shown(folder.path())));
        return outcome;
    }

    // Held only around the comparison and the two writes: two programs
    // saving at once can neither mix one's score with the other's name nor
    // overwrite a better record written a moment before.
    RecordLock lock(folder);
    const auto abandoned = [gate] { return gate && gate->isAbandoned(); };
    if (const RecordLock::Result result = lock.acquire(lockWaitMs, abandoned); result != RecordLock::Result::Held) {
        outcome.failure = lockFailure(result, lock, folder);
        return outcome;
    }
    // From the first write on, the window waits for the rest: a save is
    // never cut short by the window giving up.
    const bool pending = recordio::kindOf(folder.file(kPendingName)) != recordio::Kind::Missing;
    if (pending && !mayWrite(gate)) {
        outcome.failure = lockFailure(RecordLock::Result::Busy, lock, folder);
    } else if (auto why = finishPendingSave(folder)) {
        outcome.failure = saveFailure(QStringLiteral("un salvataggio precedente non si è potuto completare: %1.").arg(*why));
    } else if (const ReadRecord onDisk = readRecord(folder); onDisk.failure) {
        // Never taken as "no record": any score would then beat it.
        outcome.failure = saveFailure(QStringLiteral("il record attuale non si può leggere (%1).").arg(*onDisk.failure));
    } else if (outcome.onDisk = onDisk.text; !beats(onDisk.text)) {
        outcome.kind = SaveOutcome::Kind::Beaten;
    } else if (!mayWrite(gate)) {
        outcome.failure = lockFailure(RecordLock::Result::Busy, lock, folder);
    } else if (auto error = writePair(folder, score, name)) {
        outcome.failure = *error;
    } else {
        outcome.kind = SaveOutcome::Kind::Saved;
    }
    if (afterwards && mayWrite(gate))
        afterwards(outcome.kind == SaveOutcome::Kind::Saved);
    return outcome;
}
