#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// Number reading, conversion and display shared by the judging, the clock
// and the end of game.

// Reads the longest number at the start of text: leading blanks (spaces and
// tabs) skipped, an optional sign, digits, an optional decimal part ("12.5",
// "12.", ".5"). No number gives 0. A number too large for a double gives
// +/-infinity, never undefined behaviour.
double leadingNumber(QStringView text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4), and saturates to the 16-bit range; NaN gives 0.
std::int16_t toInt16(double value);

// "#0", "###0", "####0": the plain decimal integer, "-" for negatives.
QString formatPlain(int value);

// "00": at least two digits, zero-padded after the sign ("05", "-05", "123").
QString formatTwoDigits(int value);
