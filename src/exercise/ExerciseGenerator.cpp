#include "exercise/ExerciseGenerator.h"

#include "state/TermSlots.h"

#include <algorithm>
#include <cmath>

namespace {

// One integer draw: floor(r * factor) + offset.
struct Draw
{
    double factor;
    int offset;
};

std::int16_t drawValue(RandomSource &random, Draw d)
{
    return static_cast<std::int16_t>(std::floor(random.draw() * d.factor) + d.offset);
}

// Index 0 is mode 1. Order of the entries is the draw order: coef1..coef4.
constexpr Draw kCoefficientDraws[5][4] = {
    {{-6, 0}, {-5, 0}, {-5, 0}, {-5, 0}},
    {{-5, 0}, {6, 1}, {-4, 0}, {-4, 0}},
    {{-6, 0}, {-5, 0}, {-3, 0}, {-3, 0}},
    {{-5, 0}, {3, 1}, {5, 1}, {-5, 0}},
    {{-5, 0}, {4, 1}, {6, 1}, {-3, 0}},
};

constexpr Draw kShadeDraw{15, 0};

// valueA (letter b) then valueB (letter a), for valueMode 1..4; mode 5 keeps
// the previous values.
constexpr Draw kValueDraws[4][2] = {
    {{-5, 0}, {-5, 0}},
    {{-5, 0}, {5, 0}},
    {{5, 0}, {5, 0}},
    {{2, 0}, {-2, 0}},
};

// Letters of slots 1..4 for each mode. A "b" slot belongs to side A (sumA),
// an "a" slot to side B (sumB).
constexpr const char *kLetters[5][4] = {
    {"a", "b", "b", "a"},
    {"b", "a", "a", "b"},
    {"b", "b", "a", "a"},
    {"b", "b", "a", "a"},
    {"a", "b", "a", "a"},
};

std::int16_t drawMode(RandomSource &random)
{
    // A source outside [0, 1) must still not index past the tables.
    return static_cast<std::int16_t>(std::clamp(drawValue(random, {5, 1}), std::int16_t{1}, std::int16_t{5}));
}

std::array<std::int16_t, 4> slotCoefficients(const GameState &s)
{
    std::array<std::int16_t, 4> coefficients{};
    for (std::size_t slot = 0; slot < 4; ++slot)
        coefficients[slot] = s.*kTermSlots[slot].coefficient;
    return coefficients;
}

bool validMode(int mode)
{
    return mode >= 1 && mode <= 5;
}

} // namespace

QString coefficientCaption(int slot, int coefficient, int mode, int coef1)
{
    if (coefficient == 1)
        return slot == 1 ? QString() : QStringLiteral("+");
    if (coefficient == -1)
        return QStringLiteral("-");

    QString text = QString::number(coefficient);
    const bool explicitPlus = slot == 3 && (mode == 4 || mode == 5 || (mode == 2 && coef1 < 0));
    if (explicitPlus)
        text.prepend(QLatin1Char('+'));
    return text;
}

ExerciseView viewOf(const GameState &state)
{
    ExerciseView view;
    const auto coefficients = slotCoefficients(state);
    for (int slot = 0; slot < 4; ++slot) {
        view.coefficientCaptions[static_cast<std::size_t>(slot)] =
            coefficientCaption(slot + 1, coefficients[static_cast<std::size_t>(slot)],
                               state.exerciseMode, state.coef1);
        if (validMode(state.exerciseMode))
            view.letters[static_cast<std::size_t>(slot)] =
                QLatin1String(kLetters[state.exerciseMode - 1][slot]);
    }
    view.valueOfB = QString::number(state.valueA);
    view.valueOfA = QString::number(state.valueB);
    return view;
}

ExerciseView drawExercise(GameState &state, RandomSource &random)
{
    random.reseed(state.exerciseMode);
    random.reseed(0);
    state.exerciseMode = drawMode(random);
    const int mode = state.exerciseMode;

    random.reseedFromClock();
    const auto &draws = kCoefficientDraws[mode - 1];
    state.coef1 = drawValue(random, draws[0]);
    if ((mode == 4 || mode == 5) && state.coef1 == 0)
        state.coef1 = 1;
    state.coef2 = drawValue(random, draws[1]);
    state.coef3 = drawValue(random, draws[2]);
    state.coef4 = drawValue(random, draws[3]);
    if (mode == 1)
        state.backgroundShade = drawValue(random, kShadeDraw);

    random.reseedFromClock();

    std::int16_t sumA = 0;
    std::int16_t sumB = 0;
    const auto coefficients = slotCoefficients(state);
    for (std::size_t slot = 0; slot < 4; ++slot) {
        std::int16_t &side = kLetters[mode - 1][slot][0] == 'b' ? sumA : sumB;
        side = static_cast<std::int16_t>(side + coefficients[slot]);
    }
    state.sumA = sumA;
    state.sumB = sumB;

    random.reseed(state.valueMode);
    state.valueMode = drawMode(random);
    if (state.valueMode != 5) {
        const auto &values = kValueDraws[state.valueMode - 1];
        state.valueA = drawValue(random, values[0]);
        state.valueB = drawValue(random, values[1]);
    }

    return viewOf(state);
}
