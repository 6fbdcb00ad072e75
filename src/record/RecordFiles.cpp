#include "record/RecordFiles.h"

#include "record/RecordIo.h"
#include "record/RecordLock.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace {

// The bookkeeping number of "the" open file; one file is open at a time.
constexpr std::int16_t kFileNumber = 1;

// Old score kept in memory to put back if the name cannot be written. A
// record file is one short line; anything beyond this was not written by us.
constexpr qint64 kMaxRestoreBytes = 1024 * 1024;

QString recordPath(const QString &winDir, const char *fileName)
{
    return recordio::withOneSlash(winDir) + QLatin1StringView(fileName);
}

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString failure(const QString &reason)
{
    return QStringLiteral("Non è stato possibile salvare il record: %1").arg(reason);
}

QString writeFailure(const QString &path, const QString &detail)
{
    return failure(QStringLiteral("il file %1 non si può scrivere "
                                  "(spazio su disco esaurito o permesso negato: %2).")
                       .arg(shown(path), detail));
}

// Replaces the file whole: either the old content or the new one survives,
// whatever happens in between.
std::optional<QString> writeWhole(const QString &path, const QByteArray &bytes, GameState &state)
{
    const QString folder = path.left(path.lastIndexOf(u'/') + 1);
    if (recordio::kindOf(path) == recordio::Kind::Folder)
        return failure(QStringLiteral("il file %1 è una cartella.").arg(shown(path)));
    // A file nobody may write was protected on purpose (by a teacher, say).
    // Another pupil's file in a shared folder is replaced as usual.
    if (QFileInfo(path).isFile() && !(QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)))
        return writeFailure(path, QStringLiteral("il file è protetto dalla scrittura"));
    state.fileNum = kFileNumber;
    if (auto error = recordio::replaceWhole(path, bytes, recordio::fileModeFor(folder)))
        return writeFailure(path, *error);
    return std::nullopt;
}

QByteArray recordLine(const QString &text) { return encodeRecordText(text) + "\r\n"; }

QString lockFailure(RecordLock::Result result, const RecordLock &lock, const QString &folder)
{
    if (result == RecordLock::Result::Busy)
        return failure(QStringLiteral("un'altra copia del programma sta salvando il record "
                                      "nella cartella %1 e non ha finito in tempo.")
                           .arg(shown(folder)));
    if (lock.error() == EACCES || lock.error() == EPERM || lock.error() == EROFS)
        return failure(QStringLiteral("permesso negato nella cartella %1.").arg(shown(folder)));
    return failure(QStringLiteral("la cartella %1 non si può bloccare per la scrittura (%2).")
                       .arg(shown(folder), recordio::reason(lock.error())));
}

// The save in progress: both new files, written whole before either record
// file is touched. A save cut short between the two files (a crash, a power
// cut) is completed from it at the next start, so the pair on disk is always
// one game's score and name.
constexpr auto kPendingName = "record.pending";
constexpr QByteArrayView kPendingMagic = "tarvimonda pending record 1\n";

QByteArray pendingContent(const QByteArray &score, const QByteArray &name)
{
    return kPendingMagic.toByteArray() + QByteArray::number(score.size()) + '\n' + QByteArray::number(name.size())
           + '\n' + score + name;
}

// The two files' bytes, or nothing when the file is not one we wrote whole.
std::optional<std::pair<QByteArray, QByteArray>> parsePending(const QByteArray &content)
{
    if (!content.startsWith(kPendingMagic))
        return std::nullopt;
    const QList<QByteArray> head = content.mid(kPendingMagic.size()).split('\n');
    if (head.size() < 3)
        return std::nullopt;
    bool scoreOk = false;
    bool nameOk = false;
    const qsizetype scoreSize = head[0].toLongLong(&scoreOk);
    const qsizetype nameSize = head[1].toLongLong(&nameOk);
    const qsizetype start = kPendingMagic.size() + head[0].size() + head[1].size() + 2;
    if (!scoreOk || !nameOk || scoreSize < 0 || nameSize < 0 || content.size() - start != scoreSize + nameSize)
        return std::nullopt;
    return std::make_pair(content.mid(start, scoreSize), content.mid(start + scoreSize, nameSize));
}

// Completes a save that was cut short; the caller holds the lock. Returns
// false when one was left and could not be completed.
bool finishPendingSave(const QString &folder, GameState &state)
{
    const QString pendingPath = folder + QLatin1StringView(kPendingName);
    switch (recordio::kindOf(pendingPath)) {
    case recordio::Kind::Missing: return true;
    case recordio::Kind::Folder: return false;
    case recordio::Kind::Other: return recordio::removeEntry(pendingPath); // planted, not ours
    case recordio::Kind::Regular: break;
    }
    const auto content = recordio::readRegular(pendingPath, kMaxRestoreBytes);
    if (!content)
        return false;
    const auto files = parsePending(content->bytes);
    if (files && (writeWhole(folder + QLatin1StringView(kScoreFileName), files->first, state)
                  || writeWhole(folder + QLatin1StringView(kNameFileName), files->second, state)))
        return false;
    recordio::syncFolder(folder);
    return recordio::removeEntry(pendingPath);
}

// Writes both files; the caller holds the lock.
std::optional<QString> writePair(const QString &folder, const QString &score, const QString &name, GameState &state)
{
    const QString scorePath = folder + QLatin1StringView(kScoreFileName);
    const QString namePath = folder + QLatin1StringView(kNameFileName);

    // What to put back if the name fails after the score went in. A missing
    // file reads as empty, so restoring it as empty keeps the same record.
    const QByteArray oldScore = recordio::readRegular(scorePath, kMaxRestoreBytes).value_or(recordio::Head{}).bytes;

    const QString pendingPath = folder + QLatin1StringView(kPendingName);
    const QByteArray scoreLine = recordLine(score);
    const QByteArray nameLine = recordLine(name);
    if (auto error = writeWhole(pendingPath, pendingContent(scoreLine, nameLine), state))
        return error;
    // The pending save must be on disk before either record file changes.
    recordio::syncFolder(folder);
    if (auto error = writeWhole(scorePath, scoreLine, state)) {
        recordio::removeEntry(pendingPath);
        return error;
    }
    if (auto error = writeWhole(namePath, nameLine, state)) {
        // Back to the old pair; if even that fails, the next start
        // completes the new one from the pending save.
        if (writeWhole(scorePath, oldScore, state))
            error->append(QStringLiteral(" Anche il punteggio precedente non si è potuto "
                                         "ripristinare: il record sarà completato al prossimo avvio."));
        else
            recordio::removeEntry(pendingPath);
        return error;
    }
    recordio::syncFolder(folder);
    recordio::removeEntry(pendingPath);
    return std::nullopt;
}

} // namespace

QString Leggifiletxt(const QString &nomefile, GameState &state)
{
    state.fileNum = kFileNumber;
    const auto head = recordio::readRegular(nomefile, kMaxRecordBytes);
    if (!head)
        return {};
    return head->cut ? decodeRecordPrefix(head->bytes) : decodeRecordText(head->bytes);
}

bool prepareRecordFiles(const QString &winDir, GameState &state)
{
    const QString folder = recordio::withOneSlash(winDir);
    bool ok = true;
    if (recordio::kindOf(folder + QLatin1StringView(kPendingName)) != recordio::Kind::Missing) {
        RecordLock lock(folder);
        ok = lock.acquire(kRecordLockWaitMs) == RecordLock::Result::Held && finishPendingSave(folder, state);
    }
    const mode_t mode = recordio::fileModeFor(folder);
    for (const char *fileName : {kScoreFileName, kNameFileName}) {
        state.fileNum = kFileNumber;
        ok = recordio::createIfMissing(recordPath(winDir, fileName), mode) && ok;
    }
    return ok;
}

RecordText loadRecord(const QString &winDir, GameState &state)
{
    RecordText record;
    record.score = Leggifiletxt(recordPath(winDir, kScoreFileName), state);
    record.name = Leggifiletxt(recordPath(winDir, kNameFileName), state);
    return record;
}

std::optional<QString> saveRecord(const QString &winDir, const QString &score, const QString &name,
                                  GameState &state, int lockWaitMs)
{
    const SaveOutcome outcome = saveRecordIfBetter(
        winDir, score, name, [](const RecordText &) { return true; }, state, lockWaitMs);
    if (outcome.kind == SaveOutcome::Kind::Saved)
        return std::nullopt;
    return outcome.failure;
}

SaveOutcome saveRecordIfBetter(const QString &winDir, const QString &score, const QString &name,
                               const std::function<bool(const RecordText &onDisk)> &beats, GameState &state,
                               int lockWaitMs, const std::function<void(bool newRecord)> &afterwards)
{
    SaveOutcome outcome;
    // The per-user folder may have gone since start-up.
    const QString folder = recordio::withOneSlash(winDir);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        outcome.failure = failure(QStringLiteral("la cartella %1 non si può creare.").arg(shown(folder)));
        return outcome;
    }

    // Held only around the comparison and the two writes: two programs
    // saving at once can neither mix one's score with the other's name nor
    // overwrite a better record written a moment before.
    RecordLock lock(folder);
    if (const RecordLock::Result result = lock.acquire(lockWaitMs); result != RecordLock::Result::Held) {
        outcome.failure = lockFailure(result, lock, folder);
        return outcome;
    }
    finishPendingSave(folder, state);
    outcome.onDisk = loadRecord(folder, state);
    if (!beats(outcome.onDisk))
        outcome.kind = SaveOutcome::Kind::Beaten;
    else if (auto error = writePair(folder, score, name, state))
        outcome.failure = *error;
    else
        outcome.kind = SaveOutcome::Kind::Saved;
    if (afterwards)
        afterwards(outcome.kind == SaveOutcome::Kind::Saved);
    return outcome;
}
