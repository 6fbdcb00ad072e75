#pragma once

// What the exercise tests share: a random source that hands out chosen
// numbers and logs every call, and readers that work a drawn row out again
// from its captions alone.
#include "exercise/ExerciseGenerator.h"
#include "exercise/RandomSource.h"

#include <QRegularExpression>
#include <QtTest>

#include <climits>
#include <cmath>
#include <optional>
#include <set>

// Largest r below 1 and the smallest non-zero r the real source can give.
inline const double kTop = std::nextafter(1.0, 0.0);
inline constexpr double kTiny = 0x1.0p-53;

// Hands out a fixed list of r values and logs every call, so a test can
// steer each draw and check the order of draws and re-seeds.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<double> script) : m_script(std::move(script)) {}

    double draw() override
    {
        log << QStringLiteral("draw");
        if (m_next >= m_script.size()) {
            m_overrun = true;
            return 0.0;
        }
        return m_script[m_next++];
    }
    void reseedFromClock() override { log << QStringLiteral("clock"); }
    void reseed(std::int64_t n) override { log << QStringLiteral("reseed %1").arg(n); }

    // Every scripted value used, and no draw beyond them.
    bool usedExactly() const { return !m_overrun && m_next == m_script.size(); }

    QStringList log;

private:
    QList<double> m_script;
    qsizetype m_next = 0;
    bool m_overrun = false;
};

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

inline QStringList toList(const std::array<QString, 4> &a)
{
    return {a[0], a[1], a[2], a[3]};
}

// State carried in from an earlier exercise (previous modes, values, shade).
inline GameState earlierState()
{
    GameState s;
    s.exerciseMode = 2;
    s.valueMode = 4;
    s.valueA = 3;
    s.valueB = -4;
    s.backgroundShade = 9;
    return s;
}

inline constexpr int kUnstated = INT_MIN;

