#pragma once

#include "record/RecordNames.h"
#include "record/RecordSteps.h"
#include "record/WriteGate.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// The record folder's steps run in the test's own process, as the record
// keeper runs them, with nobody to give up on them.

inline RecordSteps stepsIn(const QString &folder, OpenGate &gate, int lockWaitMs = kRecordLockWaitMs,
                           recordio::RecordFolder::Making making = recordio::RecordFolder::Making::WithParents)
{
    return RecordSteps(QFile::encodeName(folder), making, gate, lockWaitMs);
}

inline record::Outcome startIn(const QString &folder,
                               recordio::RecordFolder::Making making = recordio::RecordFolder::Making::WithParents)
{
    OpenGate gate;
    return stepsIn(folder, gate, kRecordLockWaitMs, making).start();
}

// The end of a game that beat the record it was shown: saved if it still
// beats the one on disk. With the register on, its line too.
inline record::GameEndOutcome endIn(const QString &folder, const QString &score, const QString &name,
                                    int lockWaitMs = kRecordLockWaitMs, bool registerOn = false)
{
    OpenGate gate;
    return stepsIn(folder, gate, lockWaitMs)
        .end({score.toInt(), name, 0, score.toInt(), true, registerOn, QDateTime::currentDateTime(), QStringLiteral("alunno")});
}

inline record::Outcome saveIn(const QString &folder, const QString &score, const QString &name,
                              int lockWaitMs = kRecordLockWaitMs)
{
    return endIn(folder, score, name, lockWaitMs).record;
}

inline bool saved(const record::Outcome &outcome) { return outcome.happened == record::Happened::Saved; }

// The folder opened as the steps open it, for a test that locks it itself.
inline recordio::RecordFolder opened(const QString &path)
{
    recordio::RecordFolder folder(QFile::encodeName(path));
    folder.open();
    return folder;
}

// A record folder holding the record and nothing else: no lock, pending
// save or temporary copy left beside it.
inline const QStringList kRecordFiles{QString::fromLatin1(kScoreFileName), QString::fromLatin1(kNameFileName)};
