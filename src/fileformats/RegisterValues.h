#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

// The values in a register line's fields, read as the keeper writes them
// and as a spreadsheet may save them again.

// A counter: 1 to 7 digits, nothing else.
std::optional<int> digits(QByteArrayView text);

// The Julian day of YYYY-MM-DD, DD/MM/YYYY or DD/MM/YY (years 00-79 are
// 2000-2079, 80-99 are 1980-1999).
std::optional<qint64> dayOf(QByteArrayView text);

// The second of the day of HH:MM:SS or HH:MM.
std::optional<int> secondOf(QByteArrayView text);

// The "Record" field: sì or no, also si and any capitals.
std::optional<bool> recordFlag(QByteArrayView text);
