#include "record/RecordFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The bookkeeping number of "the" open file; one file is open at a time.
constexpr std::int16_t kFileNumber = 1;

// Old score kept in memory to put back if the name cannot be written. A
// record file is one short line; anything beyond this was not written by us.
constexpr qint64 kMaxRestoreBytes = 1024 * 1024;

QString withOneSlash(const QString &folder)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (path.isEmpty())
        return QStringLiteral("./");
    while (path.endsWith(u'/'))
        path.chop(1);
    return path + u'/';
}

QString recordPath(const QString &winDir, const char *fileName)
{
    return withOneSlash(winDir) + QLatin1StringView(fileName);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

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
    if (QFileInfo(path).isDir())
        return failure(QStringLiteral("il file %1 è una cartella.").arg(shown(path)));
    state.fileNum = kFileNumber;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(path, file.errorString());
    // flush() here, not in commit(): QSaveFile commits a file whose buffered
    // bytes ran out of room (a short write on a full disk) as if whole.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString detail = file.errorString();
        file.cancelWriting();
        return writeFailure(path, detail);
    }
    if (!file.commit())
        return writeFailure(path, file.errorString());
    return std::nullopt;
}

QByteArray recordLine(const QString &text)
{
    return text.toUtf8() + "\r\n";
}

std::optional<QString> lockFailure(const QLockFile &lock, const QString &folder)
{
    switch (lock.error()) {
    case QLockFile::NoError:
        return std::nullopt;
    case QLockFile::LockFailedError:
        return failure(QStringLiteral("un'altra copia del programma sta salvando il record "
                                      "nella cartella %1 e non ha finito in tempo.")
                           .arg(shown(folder)));
    case QLockFile::PermissionError:
        return failure(QStringLiteral("permesso negato nella cartella %1.").arg(shown(folder)));
    case QLockFile::UnknownError:
        break;
    }
    return failure(QStringLiteral("la cartella %1 non si può bloccare per la scrittura.")
                       .arg(shown(folder)));
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

// Completes a save that was cut short, under the lock. Returns false when
// one was left and could not be completed.
bool finishPendingSave(const QString &folder, GameState &state)
{
    const QString pendingPath = folder + QLatin1StringView(kPendingName);
    if (!QFileInfo(pendingPath).isFile())
        return true;
    QLockFile lock(folder + QLatin1StringView(kRecordLockName));
    lock.setStaleLockTime(10'000);
    if (!lock.tryLock(kRecordLockWaitMs))
        return false;
    QFile pending(pendingPath);
    if (!pending.open(QIODevice::ReadOnly))
        return false;
    const auto files = parsePending(pending.read(kMaxRestoreBytes));
    pending.close();
    if (files && (writeWhole(folder + QLatin1StringView(kScoreFileName), files->first, state)
                  || writeWhole(folder + QLatin1StringView(kNameFileName), files->second, state)))
        return false;
    return QFile::remove(pendingPath);
}

} // namespace

QString prepareFolder(const QString &folder)
{
    const QString path = withOneSlash(folder);
    // A failure here surfaces later, when the files cannot be created.
    QDir().mkpath(path);
    return path;
}

QString defaultRecordFolder()
{
    // On Linux this is $XDG_DATA_HOME, or ~/.local/share when it is unset or
    // empty; elsewhere the platform's per-user data folder.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    return prepareFolder(base + QStringLiteral("/tarvimonda"));
}

QString Leggifiletxt(const QString &nomefile, GameState &state)
{
    // Only a regular file: a folder has no text and a pipe or device could
    // block start-up forever.
    if (!QFileInfo(nomefile).isFile())
        return {};
    state.fileNum = kFileNumber;
    QFile file(nomefile);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return {};
    const bool cut = file.size() > kMaxRecordBytes;
    const QByteArray bytes = file.read(kMaxRecordBytes);
    file.close();
    return cut ? decodeRecordPrefix(bytes) : decodeRecordText(bytes);
}

bool prepareRecordFiles(const QString &winDir, GameState &state)
{
    bool ok = finishPendingSave(withOneSlash(winDir), state);
    for (const char *fileName : {kScoreFileName, kNameFileName}) {
        const QString path = recordPath(winDir, fileName);
        const QFileInfo info(path);
        // Opening a pipe for writing would wait for a reader; leave such
        // things alone and report them.
        if (info.exists() && !info.isFile()) {
            ok = false;
            continue;
        }
        state.fileNum = kFileNumber;
        QFile file(path);
        if (!file.open(QIODevice::Append))
            ok = false;
        file.close();
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
                                  GameState &state)
{
    return saveRecord(winDir, score, name, state, kRecordLockWaitMs);
}

std::optional<QString> saveRecord(const QString &winDir, const QString &score, const QString &name,
                                  GameState &state, int lockWaitMs)
{
    // The folder may have gone since start-up.
    const QString folder = withOneSlash(winDir);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return failure(QStringLiteral("la cartella %1 non si può creare.").arg(shown(folder)));

    // Held around both writes, so two programs saving at once cannot leave
    // one's score beside the other's name. A lock left by a crashed program
    // is taken over once it is older than any real save could take.
    QLockFile lock(folder + QLatin1StringView(kRecordLockName));
    lock.setStaleLockTime(10'000);
    if (!lock.tryLock(lockWaitMs))
        return lockFailure(lock, folder);

    const QString scorePath = folder + QLatin1StringView(kScoreFileName);
    const QString namePath = folder + QLatin1StringView(kNameFileName);

    // What to put back if the name fails after the score went in. A missing
    // file reads as empty, so restoring it as empty keeps the same record.
    QByteArray oldScore;
    {
        QFile old(scorePath);
        if (QFileInfo(scorePath).isFile() && old.open(QIODevice::ReadOnly))
            oldScore = old.read(kMaxRestoreBytes);
    }

    const QString pendingPath = folder + QLatin1StringView(kPendingName);
    const QByteArray scoreLine = recordLine(score);
    const QByteArray nameLine = recordLine(name);
    if (auto error = writeWhole(pendingPath, pendingContent(scoreLine, nameLine), state))
        return error;
    if (auto error = writeWhole(scorePath, scoreLine, state)) {
        QFile::remove(pendingPath);
        return error;
    }
    if (auto error = writeWhole(namePath, nameLine, state)) {
        // Back to the old pair; if even that fails, the next start
        // completes the new one from the pending save.
        if (writeWhole(scorePath, oldScore, state))
            error->append(QStringLiteral(" Anche il punteggio precedente non si è potuto "
                                         "ripristinare: il record sarà completato al prossimo avvio."));
        else
            QFile::remove(pendingPath);
        return error;
    }
    QFile::remove(pendingPath);
    return std::nullopt;
}
