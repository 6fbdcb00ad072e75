#pragma once

#include "record/RecordNames.h"
#include "record/RecordOutcome.h"
#include "settings/Configuration.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace recordio {
class RecordFolder;
}

// The teacher's register: one line for every game that ended, in
// "registro.csv" beside the record, for a spreadsheet with Italian settings
// (UTF-8, ';' between fields, CR LF after each line).

struct RegisterEntry
{
    QDateTime endedAt; // local time
    QString name;      // as typed
    int right = 0;     // the three counters
    int wrong = 0;
    int total = 0;
    bool newRecord = false;
    QString account;   // the login account that played, as the system knows it
};

// "Data;Ora;Nome;Esatte;Errate;Totali;Record;Account" and CR LF. Registers
// written before the account was kept have seven fields a line.
QByteArray registerHeader();

// The longest line registerLine() writes: a name at its longest with every
// character quoted twice, and the rest.
inline constexpr qsizetype kMaxRegisterLineBytes = 2 * kMaxNameBytes + 1024;

// How much room a register line leaves on the file system at least: the
// record's own files (the pair, its pending save and their staged copies)
// must still fit.
inline constexpr qint64 kRoomForTheRecord = 64 * 1024;

// One line, CR LF included. The name is data, never a formula: one that
// starts with = + - @ TAB or CR gets a leading ', and a field holding ; " CR
// LF or blanks at its ends is quoted, with " doubled.
QByteArray registerLine(const RegisterEntry &entry);

// One text field as registerLine() writes the name: guarded, quoted when
// needed, in UTF-8. Other files in the register's style use it too.
QByteArray registerField(const QString &text);

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

// RegisterFull when the register has reached maxBytes, or its file system
// has less than kRoomForTheRecord free; else nothing to tell.
record::Outcome registerRoom(const recordio::RecordFolder &folder, qint64 maxBytes);
