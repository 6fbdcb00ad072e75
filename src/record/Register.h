#pragma once

#include "record/RecordOutcome.h"

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
    QString right;     // the three counters as shown
    QString wrong;
    QString total;
    bool newRecord = false;
};

// "Data;Ora;Nome;Esatte;Errate;Totali;Record" and CR LF.
QByteArray registerHeader();

// One line, CR LF included. The name is data, never a formula: one that
// starts with = + - @ TAB or CR gets a leading ', and a field holding ; " CR
// LF or blanks at its ends is quoted, with " doubled.
QByteArray registerLine(const RegisterEntry &entry);

// One text field as registerLine() writes the name: guarded, quoted when
// needed, in UTF-8. Other files in the register's style use it too.
QByteArray registerField(const QString &text);

// Adds the entry's line to the register in the folder, writing the header
// first when the file is new or empty, and starting a line of its own when
// the last one has no line end (a spreadsheet saved it so). The line goes
// in whole or not at all. The caller holds the record lock. Added,
// Unconfirmed (the line is in, the disk did not confirm it) or Failed.
record::Outcome appendToRegister(const recordio::RecordFolder &folder, const RegisterEntry &entry);
