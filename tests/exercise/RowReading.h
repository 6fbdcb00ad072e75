#pragma once

#include "exercise/ExerciseGenerator.h"

#include <QRegularExpression>
#include <QString>

#include <optional>

// The row on screen read as the pupil reads it, from its captions alone.

inline std::optional<int> readInteger(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return QString(text).remove(QLatin1Char('+')).toInt();
}

// A coefficient as the pupil reads it: a bare letter in the first slot is
// 1, a lone sign is 1 or -1, otherwise the written number.
inline std::optional<int> readCoefficient(int slot, const QString &caption)
{
    if (caption.isEmpty())
        return slot == 1 ? std::optional<int>(1) : std::nullopt;
    if (caption == QLatin1String("+"))
        return 1;
    if (caption == QLatin1String("-"))
        return -1;
    return readInteger(caption);
}

// The value of the row on screen, read only from what the window shows.
inline std::optional<int> readRow(const ExerciseView &view)
{
    const auto a = readInteger(view.valueOfA);
    const auto b = readInteger(view.valueOfB);
    if (!a || !b)
        return std::nullopt;
    int total = 0;
    for (int slot = 1; slot <= 4; ++slot) {
        const auto i = static_cast<std::size_t>(slot - 1);
        const auto coefficient = readCoefficient(slot, view.coefficientCaptions[i]);
        if (!coefficient)
            return std::nullopt;
        if (view.letters[i] == QLatin1String("a"))
            total += *coefficient * *a;
        else if (view.letters[i] == QLatin1String("b"))
            total += *coefficient * *b;
        else
            return std::nullopt;
    }
    return total;
}
