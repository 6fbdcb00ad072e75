#include "record/RecordSteps.h"

#include "state/Numbers.h"
#include "record/FolderDiagnosis.h"
#include "record/PendingSave.h"
#include "record/RecordLock.h"
#include "record/RecordNames.h"
#include "fileformats/RecordText.h"
#include "record/Register.h"
#include "record/StagedFile.h"
#include "record/WriteGate.h"

#include <cerrno>

using record::Cause;
using record::Happened;
using record::Outcome;

namespace {

QByteArray recordLine(const QString &text) { return encodeRecordText(text) + "\r\n"; }

QString decoded(const recordio::Head &head)
{
    return head.cut ? decodeRecordPrefix(head.bytes) : decodeRecordText(head.bytes);
}

Outcome lockFailure(const RecordLock &lock, RecordLock::Result result)
{
    if (result == RecordLock::Result::Busy) {
        Outcome outcome = Outcome::failed(Cause::LockBusy, kRecordLockName);
        outcome.holder = lock.holder();
        return outcome;
    }
    return Outcome::failed(lock.error() == EISDIR ? Cause::FolderInPlace : Cause::LockUnusable, kRecordLockName,
                           lock.error());
}

Outcome unconfirmed(Cause cause, const QByteArray &file, int error)
{
    Outcome outcome = Outcome::failed(cause, file, error);
    outcome.happened = Happened::Unconfirmed;
    return outcome;
}

} // namespace

RecordSteps::RecordSteps(const QByteArray &folder, recordio::RecordFolder::Making making, WriteGate &gate,
                         int lockWaitMs, qint64 registerMaxBytes)
    : m_folder(folder)
    , m_making(making)
    , m_gate(gate)
    , m_lockWaitMs(lockWaitMs)
    , m_registerMaxBytes(registerMaxBytes)
{
}

bool RecordSteps::mayWrite()
{
    if (!m_mayWrite)
        m_mayWrite = m_gate.mayWrite();
    return *m_mayWrite;
}

std::optional<Outcome> RecordSteps::openFolder(bool mayMake)
{
    const QByteArray &path = m_folder.path();
    if (m_folder.isMissing()) {
        if (mayMake && !mayWrite())
            return Outcome::failed(Cause::NoAnswer, path);
        if (const int error = mayMake ? m_folder.make(m_making) : ENOENT)
            return diagnoseFolder(path, Cause::FolderMissing, error);
    }
    if (const int error = m_folder.open()) {
        const Cause cause = error == ENOTDIR                      ? Cause::NotAFolder
                            : error == ENOENT                     ? Cause::FolderMissing
                            : error == EACCES || error == EPERM ? Cause::FolderDenied
                                                                  : Cause::FolderUnreachable;
        return diagnoseFolder(path, cause, error);
    }
    if (const int error = m_folder.writable())
        return diagnoseFolder(path, error == EACCES || error == EPERM || error == EROFS ? Cause::FolderDenied
                                                                                         : Cause::FolderUnreachable,
                              error);
    return std::nullopt;
}

Outcome RecordSteps::readPair() const
{
    // Only a missing or empty file reads as "no record"; a file that is
    // there and cannot be read is said, never taken as an empty record.
    Outcome outcome;
    outcome.happened = Happened::Read;
    for (const auto &[name, text] : {std::pair{kScoreFileName, &outcome.pair.score}, {kNameFileName, &outcome.pair.name}}) {
        const recordio::Head head = m_folder.read(name, kMaxRecordBytes);
        if (!recordio::holdsNoRecord(head) && outcome.cause == Cause::None) {
            outcome.cause = head.error == EISDIR ? Cause::FolderInPlace : Cause::Unreadable;
            outcome.file = name;
            outcome.error = head.error;
        }
        *text = decoded(head);
    }
    return outcome;
}

Outcome RecordSteps::start()
{
    if (auto failure = openFolder(true))
        return *failure;
    // A save cut short is completed first; one that cannot be yet is shown
    // below as the record that stands.
    if (m_folder.kindOf(kPendingName) != recordio::Kind::Missing && mayWrite()) {
        RecordLock lock(m_folder, RecordLock::Mode::Exclusive);
        if (lock.acquire(m_lockWaitMs) == RecordLock::Result::Held)
            (void)finishPendingSave(m_folder);
    }
    // Empty files change no record; a file that cannot be made is left to
    // the save, which says why.
    for (const char *name : {kScoreFileName, kNameFileName})
        if (m_folder.kindOf(name) == recordio::Kind::Missing && mayWrite())
            m_folder.createIfMissing(name);
    // Shared: starting games read side by side, but never while a save
    // writes. A folder whose lock is held too long is still read, and the
    // teacher hears who holds it.
    RecordLock lock(m_folder, RecordLock::Mode::Shared);
    const RecordLock::Result locked = lock.acquire(m_lockWaitMs);
    Outcome outcome = readPair();
    outcome.cause = Cause::None; // a file that cannot be read is the save's to tell
    outcome.file.clear();
    outcome.error = 0;
    if (locked == RecordLock::Result::Busy) {
        outcome.cause = Cause::LockBusy;
        outcome.file = kRecordLockName;
        outcome.holder = lock.holder();
    }
    if (const auto pending = readPendingSave(m_folder))
        outcome.pair = {decodeRecordText(pending->first), decodeRecordText(pending->second)};
    return outcome;
}

record::GameEndOutcome RecordSteps::check()
{
    if (auto failure = openFolder(false))
        return {*failure, {}};
    RecordLock lock(m_folder, RecordLock::Mode::Shared);
    const RecordLock::Result locked = lock.acquire(0);
    if (locked == RecordLock::Result::Failed)
        return {lockFailure(lock, locked), {}};
    // What a save would stop at, asked the way the save asks it.
    Outcome outcome = readPair();
    if (outcome.cause != Cause::None) {
        outcome.happened = Happened::Failed;
        return {outcome, {}};
    }
    if (auto refused = pairNotReplaceable(m_folder))
        return {*refused, {}};
    if (locked == RecordLock::Result::Busy) {
        outcome.cause = Cause::LockBusy;
        outcome.file = kRecordLockName;
        outcome.holder = lock.holder();
    }
    return {outcome, registerReady(m_folder, m_registerMaxBytes)};
}

record::GameEndOutcome RecordSteps::end(const GameEnd &game)
{
    record::GameEndOutcome outcome;
    if (!game.beatsShown && !game.registerOn)
        return outcome;
    // Held around the comparison and the writes: two games saving at once
    // can neither mix one's score with the other's name nor overwrite a
    // better record written a moment before.
    std::optional<Outcome> failure = openFolder(true);
    // Asked before the lock: nobody waits on this game's window while it
    // holds the folder.
    if (!failure && !mayWrite())
        failure = Outcome::failed(Cause::NoAnswer, m_folder.path());
    RecordLock lock(m_folder, RecordLock::Mode::Exclusive);
    if (!failure) {
        if (const RecordLock::Result locked = lock.acquire(m_lockWaitMs); locked != RecordLock::Result::Held)
            failure = lockFailure(lock, locked);
    }
    if (failure) {
        // The register is told the same cause as the record.
        outcome.record = game.beatsShown ? *failure : Outcome();
        outcome.registerLine = game.registerOn ? *failure : Outcome();
        return outcome;
    }
    if (game.beatsShown)
        outcome.record = saveIfBetter(game);
    if (game.registerOn) {
        const bool newRecord = outcome.record.happened == Happened::Saved || outcome.record.happened == Happened::Unconfirmed;
        outcome.registerLine = appendToRegister(
            m_folder, {game.endedAt, game.name, game.score, game.wrong, game.total, newRecord, game.account},
            m_registerMaxBytes);
    }
    return outcome;
}

Outcome RecordSteps::saveIfBetter(const GameEnd &game)
{
    if (m_folder.kindOf(kPendingName) != recordio::Kind::Missing) {
        if (auto kept = finishPendingSave(m_folder))
            return *kept;
    }
    Outcome onDisk = readPair();
    // Never taken as "no record": any score would then beat it.
    if (onDisk.cause != Cause::None) {
        onDisk.happened = Happened::Failed;
        onDisk.pair = {};
        return onDisk;
    }
    if (!(game.score > leadingNumber(onDisk.pair.score))) {
        onDisk.happened = Happened::Beaten;
        return onDisk;
    }
    return writePair(game.score, game.name);
}

Outcome RecordSteps::writePair(int score, const QString &name)
{
    if (auto refused = pairNotReplaceable(m_folder))
        return *refused;
    m_folder.removeLeftoverStaging({kScoreFileName, kNameFileName, kPendingName});
    const QByteArray scoreLine = recordLine(QString::number(score));
    const QByteArray nameLine = recordLine(name);
    {
        recordio::Staged pending(m_folder, kPendingName, pendingContent(scoreLine, nameLine));
        // A rename a share did while it answered an error is taken back: the
        // pupil is told nothing was saved, so nothing may complete it later.
        int error = pending.putInPlace();
        // The pending save must be on disk before either record file changes.
        if (error == 0)
            error = m_folder.sync();
        if (error != 0) {
            (void)m_folder.remove(kPendingName);
            return Outcome::failed(Cause::WriteFailed, kPendingName, error);
        }
    }
    if (const PairPlacement placed = putPairInPlace(m_folder, scoreLine, nameLine); placed.failure) {
        // Once a rename was asked, only the pending save can make sure of
        // the pair: it stays, and the next start completes it.
        if (placed.renameTried)
            return unconfirmed(placed.failure->cause, placed.failure->file, placed.failure->error);
        (void)m_folder.remove(kPendingName);
        return *placed.failure;
    }
    // Kept when the folder does not confirm the renames: the pending save
    // holds the same pair, and the next start makes sure of it.
    if (const int error = m_folder.sync())
        return unconfirmed(Cause::NotSynced, m_folder.path(), error);
    (void)m_folder.remove(kPendingName);
    Outcome saved;
    saved.happened = Happened::Saved;
    return saved;
}
