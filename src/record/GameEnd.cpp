#include "record/GameEnd.h"

GameEndOutcome recordGameEnd(const GameEnd &end, int lockWaitMs, WorkGate *gate)
{
    GameEndOutcome outcome;
    if (!end.beatsShown) {
        if (end.registerEntry)
            outcome.registerFailure = addToRegister(end.folder, *end.registerEntry, lockWaitMs, gate);
        return outcome;
    }
    bool registerTried = false;
    outcome.record = saveRecordIfBetter(end.folder, end.score, end.name, end.beats, lockWaitMs,
                                        [&](bool newRecord) {
                                            if (!end.registerEntry)
                                                return;
                                            registerTried = true;
                                            RegisterEntry entry = *end.registerEntry;
                                            entry.newRecord = newRecord;
                                            outcome.registerFailure = appendToRegister(end.folder, entry);
                                        },
                                        gate);
    // The lock or the folder failed the record before the register's turn:
    // the register is told the same cause.
    if (end.registerEntry && !registerTried) {
        QString why = outcome.record->failure;
        why.remove(0, saveFailure(QString()).size());
        outcome.registerFailure = registerUnreachable(end.folder, why.chopped(why.endsWith(u'.') ? 1 : 0));
    }
    return outcome;
}
