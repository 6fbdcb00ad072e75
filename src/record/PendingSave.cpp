#include "record/PendingSave.h"

#include "record/RecordFolder.h"
#include "record/RecordIo.h"
#include "record/RecordNames.h"

#include <QList>

#include <cerrno>

namespace {

constexpr QByteArrayView kPendingMagic = "tarvimonda pending record 1\n";

// A record file is one short line; anything beyond this was not written by
// us.
constexpr qint64 kMaxPendingBytes = 1024 * 1024;

} // namespace

QByteArray pendingContent(const QByteArray &score, const QByteArray &name)
{
    return kPendingMagic.toByteArray() + QByteArray::number(score.size()) + '\n' + QByteArray::number(name.size())
           + '\n' + score + name;
}

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
    // Each size is checked against what is there before they are added, so
    // no sum of two huge numbers can overflow.
    const qsizetype body = content.size() - start;
    if (!scoreOk || !nameOk || scoreSize < 0 || nameSize < 0 || scoreSize > body || nameSize != body - scoreSize)
        return std::nullopt;
    return std::make_pair(content.mid(start, scoreSize), content.mid(start + scoreSize, nameSize));
}

PairPlacement putPairInPlace(const RecordFolder &folder, const QByteArray &score, const QByteArray &name)
{
    const QString scorePath = folder.file(kScoreFileName);
    const QString namePath = folder.file(kNameFileName);
    for (const QString &path : {scorePath, namePath})
        if (auto why = recordio::replaceable(path))
            return {QStringLiteral("il file %1 non si può sostituire: %2").arg(path, *why)};
    const mode_t mode = recordio::fileModeFor(folder.path());
    // What to put back if the name cannot follow the score. A missing file
    // reads as empty, so putting it back empty keeps the same record.
    const recordio::Head old = recordio::readRegular(scorePath, kMaxPendingBytes);
    if (!recordio::holdsNoRecord(old.error))
        return {QStringLiteral("il file %1 non si può leggere: %2").arg(scorePath, recordio::reason(old.error))};
    recordio::Staged newScore(scorePath, score, mode);
    recordio::Staged newName(namePath, name, mode);
    recordio::Staged oldScore(scorePath, old.bytes, mode);
    for (const recordio::Staged *staged : {&newScore, &newName, &oldScore})
        if (staged->failure())
            return {*staged->failure()};
    if (auto why = newScore.putInPlace())
        return {QStringLiteral("il file %1 non si può sostituire: %2").arg(scorePath, *why)};
    if (auto why = newName.putInPlace()) {
        const bool halfWay = oldScore.putInPlace().has_value();
        return {QStringLiteral("il file %1 non si può sostituire: %2").arg(namePath, *why), halfWay};
    }
    return {};
}

std::optional<std::pair<QByteArray, QByteArray>> readPendingSave(const RecordFolder &folder)
{
    const recordio::Head content = recordio::readRegular(folder.file(kPendingName), kMaxPendingBytes);
    if (content.error != 0)
        return std::nullopt;
    return parsePending(content.bytes);
}

std::optional<QString> finishPendingSave(const RecordFolder &folder)
{
    const QString pendingPath = folder.file(kPendingName);
    switch (recordio::kindOf(pendingPath)) {
    case recordio::Kind::Missing: return std::nullopt;
    case recordio::Kind::Folder:
        return QStringLiteral("al posto del file %1 c'è una cartella: l'insegnante può cancellarla").arg(pendingPath);
    case recordio::Kind::Other: // planted, not ours
    case recordio::Kind::Regular: break;
    }
    const recordio::Head content = recordio::readRegular(pendingPath, kMaxPendingBytes);
    const auto files = content.error == 0 ? parsePending(content.bytes) : std::nullopt;
    if (!recordio::holdsNoRecord(content.error))
        return QStringLiteral("il file %1 non si può leggere: %2").arg(pendingPath, recordio::reason(content.error));
    if (files) {
        if (auto placed = putPairInPlace(folder, files->first, files->second); placed.failure)
            return placed.failure;
        if (const int error = recordio::syncFolder(folder.path()))
            return QStringLiteral("la cartella %1 non conferma la scrittura (%2)").arg(folder.path(), recordio::reason(error));
    }
    // Done, or not ours (a link, a pipe, a damaged file): either way gone.
    if (!recordio::removeEntry(pendingPath))
        return QStringLiteral("il file %1 non si può togliere: %2").arg(pendingPath, recordio::reason(errno));
    return std::nullopt;
}
