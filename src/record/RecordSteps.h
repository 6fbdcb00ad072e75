#pragma once

#include "record/RecordFolder.h"
#include "record/RecordOutcome.h"
#include "settings/Configuration.h"

#include <QDateTime>
#include <QString>

#include <optional>

class WriteGate;

// The end of a game, as the record folder needs it.
struct GameEnd
{
    int score = 0; // the right answers
    QString name;  // as typed
    int wrong = 0; // the other two counters
    int total = 0;
    bool beatsShown = false; // the score beat the record shown at start
    bool registerOn = false; // the teacher keeps a register
    QDateTime endedAt;
    QString account; // the login account that played
};

// Everything done to a record folder: what a game does at start, what its
// end writes, and the teacher's check. The best score and its holder are
// kept in two one-line text files (the text, then CR LF; a never-written
// file is empty); saves go through a pending save under the record lock.
class RecordSteps
{
public:
    // gate is asked before the first change to the folder, and before any
    // lock that a change would be made under, never while a lock is held;
    // lockWaitMs is how long a step waits for the other games; the register
    // never grows past registerMaxBytes.
    RecordSteps(const QByteArray &folder, recordio::RecordFolder::Making making, WriteGate &gate, int lockWaitMs,
                qint64 registerMaxBytes = qint64(kDefaultRegisterMaxMB) << 20);

    // The folder made when missing, a save cut short completed, both files
    // made when missing, and the pair read under the shared lock, so it is
    // never one game's score with another's name. Read, with a cause when
    // there is something to tell; Failed when no record can be kept here.
    record::Outcome start();

    // The same questions, nothing written: can the record be kept here, and
    // can the register take a line (RegisterFull)?
    record::GameEndOutcome check();

    // A game that beat the record it was shown saves it, under the lock,
    // only if it still beats the record on disk; with the register on, the
    // game's line goes in under the same lock, right after the record is
    // decided. A game that beat nothing touches the record files not at all.
    record::GameEndOutcome end(const GameEnd &game);

private:
    std::optional<record::Outcome> openFolder(bool mayMake);
    bool mayWrite();
    record::Outcome saveIfBetter(const GameEnd &game);
    record::Outcome writePair(int score, const QString &name);
    record::Outcome readPair() const;

    recordio::RecordFolder m_folder;
    recordio::RecordFolder::Making m_making;
    WriteGate &m_gate;
    int m_lockWaitMs;
    qint64 m_registerMaxBytes;
    std::optional<bool> m_mayWrite;
};
