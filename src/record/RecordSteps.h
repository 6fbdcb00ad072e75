#pragma once

#include "record/RecordFolder.h"
#include "record/RecordOutcome.h"

#include <QDateTime>
#include <QString>

#include <optional>

class WriteGate;

// The end of a game, as the record folder needs it.
struct GameEnd
{
    QString score; // the right answers, as shown
    QString name;  // as typed
    QString wrong; // the other two counters, as shown
    QString total;
    bool beatsShown = false; // the score beat the record shown at start
    bool registerOn = false; // the teacher keeps a register
    QDateTime endedAt;
};

// Everything done to a record folder: what a game does at start, what its
// end writes, and the teacher's check. The best score and its holder are
// kept in two one-line text files (the text, then CR LF; a never-written
// file is empty); saves go through a pending save under the record lock.
class RecordSteps
{
public:
    // gate is asked before the first change to the folder; lockWaitMs is
    // how long a step waits for the other games.
    RecordSteps(const QByteArray &folder, recordio::RecordFolder::Making making, WriteGate &gate, int lockWaitMs);

    // The folder made when missing, a save cut short completed, both files
    // made when missing, and the pair read under the shared lock, so it is
    // never one game's score with another's name. Read, with a cause when
    // there is something to tell; Failed when no record can be kept here.
    record::Outcome start();

    // The same questions, nothing written: can the record be kept here?
    record::Outcome check();

    // A game that beat the record it was shown saves it, under the lock,
    // only if it still beats the record on disk; with the register on, the
    // game's line goes in under the same lock, right after the record is
    // decided. A game that beat nothing touches the record files not at all.
    record::GameEndOutcome end(const GameEnd &game);

private:
    std::optional<record::Outcome> openFolder(bool mayMake);
    bool mayWrite();
    record::Outcome saveIfBetter(const GameEnd &game);
    record::Outcome writePair(const QString &score, const QString &name);
    record::Outcome readPair() const;

    recordio::RecordFolder m_folder;
    recordio::RecordFolder::Making m_making;
    WriteGate &m_gate;
    int m_lockWaitMs;
    std::optional<bool> m_mayWrite;
};
