#pragma once

#include "fileformats/RecordText.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The teacher's register: one line for every game that ended, in
// "registro.csv" beside the record, for a spreadsheet with Italian settings
// (UTF-8, ';' between fields, CR LF after each line). The keeper writes it
// with these rules and the register window reads it back with them.

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

namespace registerformat {

// The fields of a line, in order. Registers written before the account was
// kept have the first seven only.
enum Column { Date, Time, Name, Right, Wrong, Total, Record, Account, ColumnCount };
inline constexpr int kColumnsBeforeAccount = Account;

inline constexpr char kSeparator = ';';
inline constexpr auto kDateFormat = "yyyy-MM-dd";
inline constexpr auto kTimeFormat = "HH:mm:ss";
// The words of the "Record" field.
inline constexpr auto kYes = "sì";
inline constexpr auto kNo = "no";

// A field starting with one of these would run as a formula in a
// spreadsheet: it is written with a ' before it.
bool startsLikeFormula(const QString &text);

// The text as it was typed, without the ' that guarded it.
QString withoutFormulaGuard(QString text);

} // namespace registerformat

// "Data;Ora;Nome;Esatte;Errate;Totali;Record;Account" and CR LF.
QByteArray registerHeader();

// The longest line registerLine() writes: a name at its longest with every
// character quoted twice, and the rest.
inline constexpr qsizetype kMaxRegisterLineBytes = 2 * kMaxNameBytes + 1024;

// One line, CR LF included. The name is data, never a formula: one that
// starts with = + - @ TAB or CR gets a leading ', and a field holding ; " CR
// LF or blanks at its ends is quoted, with " doubled.
QByteArray registerLine(const RegisterEntry &entry);

// One text field as registerLine() writes the name: guarded, quoted when
// needed, in UTF-8. Other files in the register's style use it too.
QByteArray registerField(const QString &text);
