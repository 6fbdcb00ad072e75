#pragma once

#include "app/RecordMessages.h"

// What the teacher's check says about the record folder: the folder and
// file named, the system's reason, and what to run to mend it. The pupil's
// boxes say only what happened and send for the teacher.

// Why the teacher's check found that no record can be kept, the folder
// named where it helps.
QString checkProblem(const record::Outcome &check, const RecordContext &context);

// Why the register can take no more lines, with the file named.
QString registerProblem(const record::Outcome &outcome, const RecordContext &context);
