#pragma once

#include "startup/ClassroomSettings.h"
#include "app/Dialogs.h"
#include "startup/SystemErrors.h"
#include "record/RecordOutcome.h"

#include <QList>
#include <QString>

#include <optional>

// What the pupil reads about the record, worded from the typed outcome the
// record keeper gives: what happened, and to call the teacher, who finds
// the details with the check (CheckMessages).

// What the sentences need to know beside the outcome.
struct RecordContext
{
    QString folder;      // the record folder, as shown
    QString chosenIn;    // where a teacher chose it ("in FILE, riga N"); empty: not chosen
    bool classFolder = false;
    int waitSeconds = 0; // how long a step waits for the other games
    int limitSeconds = 0; // how long the window waits for a folder at all
    QString keeper;      // the keeper's program
    QString account;     // this account's name
};

// How much longer than its own wait for the lock a step may take before the
// game stops waiting for a folder that does not answer: a busy folder is
// told as busy, and a silent one as silent.
inline constexpr int kSilentFolderGraceMs = 2000;

// The context of the folder a game with these settings uses.
RecordContext recordContextFor(const ClassroomSettings &settings);

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
QList<RecordMessage> endMessages(const record::GameEndOutcome &end);
