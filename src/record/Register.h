#pragma once

#include "fileformats/RegisterFormat.h"
#include "record/RecordNames.h"
#include "record/RecordOutcome.h"
#include "settings/Configuration.h"


namespace recordio {
class RecordFolder;
}

// Appending to the teacher's register, in the record folder.

// How much room a register line leaves on the file system at least: the
// record's own files (the pair, its pending save and their staged copies)
// must still fit.
inline constexpr qint64 kRoomForTheRecord = 64 * 1024;

// Adds the entry's line to the register in the folder, writing the header
// first when the file is new or empty. After a last line without its line
// end, the line starts a line of its own (a spreadsheet saved it so), or,
// when that last line leaves a quote open (a write cut short), replaces
// it, so it can never swallow the lines after it. The line goes in whole
// or not at all; never past maxBytes in all, nor where it would leave less
// than kRoomForTheRecord free (RegisterFull). The caller holds the record
// lock. Added, Unconfirmed (the line is in, the disk did not confirm it) or
// Failed.
record::Outcome appendToRegister(const recordio::RecordFolder &folder, const RegisterEntry &entry,
                                 qint64 maxBytes = qint64(kDefaultRegisterMaxMB) << 20);

// What a line would meet, nothing written: RegisterFull when the register
// has reached maxBytes or its file system has less than kRoomForTheRecord
// free, and the refusal appendToRegister() would give for the file there;
// else nothing to tell.
record::Outcome registerReady(const recordio::RecordFolder &folder, qint64 maxBytes);
