#include "record/PendingSave.h"

#include "record/RecordFolder.h"
#include "record/RecordNames.h"
#include "record/StagedFile.h"

#include <QList>

#include <cerrno>

using record::Cause;
using record::Outcome;

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

std::optional<Outcome> pairNotReplaceable(const recordio::RecordFolder &folder)
{
    for (const char *file : {kScoreFileName, kNameFileName})
        if (const Cause why = recordio::whyNotReplaceable(folder, file); why != Cause::None)
            return Outcome::failed(why, file, why == Cause::FolderInPlace ? EISDIR : EACCES);
    return std::nullopt;
}

PairPlacement putPairInPlace(const recordio::RecordFolder &folder, const QByteArray &score, const QByteArray &name)
{
    if (auto refused = pairNotReplaceable(folder))
        return {refused};
    // What to put back if the name cannot follow the score. A missing file
    // reads as empty, so putting it back empty keeps the same record.
    const recordio::Head old = folder.read(kScoreFileName, kMaxPendingBytes);
    if (!recordio::holdsNoRecord(old))
        return {Outcome::failed(old.error == EISDIR ? Cause::FolderInPlace : Cause::Unreadable, kScoreFileName, old.error)};
    recordio::Staged newScore(folder, kScoreFileName, score);
    recordio::Staged newName(folder, kNameFileName, name);
    recordio::Staged oldScore(folder, kScoreFileName, old.bytes);
    for (const auto &[staged, file] : {std::pair{&newScore, kScoreFileName}, {&newName, kNameFileName}, {&oldScore, kScoreFileName}})
        if (staged->error())
            return {Outcome::failed(Cause::WriteFailed, file, staged->error())};
    if (const int error = newScore.putInPlace())
        return {Outcome::failed(Cause::WriteFailed, kScoreFileName, error), true};
    if (const int error = newName.putInPlace()) {
        // The old score back beside the old name; should that fail too, the
        // pending save still holds the new pair, and the next start
        // completes it: either way the outcome is the same.
        const int undone = oldScore.putInPlace();
        return {Outcome::failed(Cause::WriteFailed, undone == 0 ? kNameFileName : kScoreFileName, error), true};
    }
    return {};
}

std::optional<std::pair<QByteArray, QByteArray>> readPendingSave(const recordio::RecordFolder &folder)
{
    const recordio::Head content = folder.read(kPendingName, kMaxPendingBytes);
    if (content.error != 0 || content.misfit != recordio::Misfit::None)
        return std::nullopt;
    return parsePending(content.bytes);
}

std::optional<Outcome> finishPendingSave(const recordio::RecordFolder &folder)
{
    switch (folder.kindOf(kPendingName)) {
    case recordio::Kind::Missing: return std::nullopt;
    case recordio::Kind::Folder: return Outcome::failed(Cause::FolderInPlace, kPendingName, EISDIR);
    case recordio::Kind::Other: // planted, not ours
    case recordio::Kind::Regular: break;
    }
    const recordio::Head content = folder.read(kPendingName, kMaxPendingBytes);
    if (!recordio::holdsNoRecord(content))
        return Outcome::failed(Cause::PendingKept, kPendingName, content.error);
    if (const auto files = content.error == 0 && content.misfit == recordio::Misfit::None ? parsePending(content.bytes) : std::nullopt) {
        if (const PairPlacement placed = putPairInPlace(folder, files->first, files->second); placed.failure)
            return Outcome::failed(Cause::PendingKept, placed.failure->file, placed.failure->error);
        if (const int error = folder.sync())
            return Outcome::failed(Cause::PendingKept, folder.path(), error);
    }
    // Done, or not ours (a link, a pipe, a damaged file): either way gone.
    if (const int error = folder.remove(kPendingName))
        return Outcome::failed(Cause::PendingKept, kPendingName, error);
    return std::nullopt;
}
