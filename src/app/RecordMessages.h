#pragma once

#include "app/Dialogs.h"
#include "app/SystemErrors.h"
#include "record/RecordOutcome.h"

#include <QList>
#include <QString>

#include <optional>

// Every sentence the game says about its record folder, in one place: what
// the pupil reads and the teacher can do about it, worded from the typed
// outcome the record keeper gives.

// What the sentences need to know beside the outcome.
struct RecordContext
{
    QString folder;      // the record folder, as shown
    QString chosenIn;    // where a teacher chose it ("FILE, riga N", an option); empty: not chosen
    bool classFolder = false;
    int waitSeconds = 0; // how long a step waits for the other games
    int limitSeconds = 0; // how long the window waits for a folder at all
    QString keeper;      // the keeper's program
    QString account;     // this account's name
};

// "Sto leggendo il record…" and the like: what the window waits for.
enum class RecordStep { Start, Save, Register };
QString waitNotice(RecordStep step, bool classFolder);

// Said at start when no record can be kept, or something stands in the
// way of the next save; nothing when all is well.
std::optional<QString> startProblem(const record::Outcome &start, const RecordContext &context);

// What the pupil is told at the end of a game, the record first, then the
// register.
struct RecordMessage
{
    QString text;
    Dialogs::Icon icon;
};
QList<RecordMessage> endMessages(const record::GameEndOutcome &end, const RecordContext &context);
