#include "play/Judge.h"

#include "state/Numbers.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

std::int16_t saturate16(int value)
{
    return static_cast<std::int16_t>(std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
}

} // namespace

Verdict judgeAnswer(GameState &state, QStringView valueOfBCaption, QStringView valueOfACaption,
                    QStringView typed)
{
    // The products overwrite the totals, so judging the same exercise twice
    // multiplies again; the conversions keep every step inside 16 bits.
    state.sumA = toInt16(leadingNumber(valueOfBCaption) * state.sumA);
    state.sumB = toInt16(leadingNumber(valueOfACaption) * state.sumB);
    state.expectedValue = saturate16(int{state.sumA} + int{state.sumB});

    const std::int16_t answer = toInt16(leadingNumber(typed));

    Verdict verdict;
    verdict.right = answer == state.expectedValue;
    if (verdict.right) {
        state.rightAnswers = saturate16(int{state.rightAnswers} + 1);
        verdict.message = QStringLiteral("Esatto. Sei okkk!!!");
    } else {
        state.wrongAnswers = saturate16(int{state.wrongAnswers} + 1);
        verdict.message = QStringLiteral("Sbagliato!! ") + formatPlain(state.expectedValue);
        verdict.wrongCaption = formatPlain(state.wrongAnswers);
    }
    verdict.rightCaption = formatPlain(state.rightAnswers);
    // Summed in int: the total shown is the true sum even near the 16-bit limit.
    verdict.totalCaption = formatPlain(int{state.wrongAnswers} + int{state.rightAnswers});
    return verdict;
}
