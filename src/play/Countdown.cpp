#include "play/Countdown.h"

#include "state/Numbers.h"

namespace {

constexpr int gameSeconds = 15 * 60;

} // namespace

namespace countdown {

void startCountdown(GameState &state)
{
    state.clockHours = 0;
    state.clockMinutes = 15;
    state.clockSeconds = 0.0F;
    state.secondsLeft = gameSeconds;
}

void refreshClock(GameState &state)
{
    state.secondsLeft = toInt16(static_cast<double>(state.clockSeconds) + gameSeconds);
}

QString clockText(const GameState &state)
{
    return formatTwoDigits(state.clockHours) + u':' + formatTwoDigits(state.clockMinutes) + u':'
           + formatTwoDigits(toInt16(state.clockSeconds));
}

TickOutcome tickCountdown(GameState &state, QStringView shownCaption)
{
    // The end is decided by what the label reads, not by the fields, so the
    // game ends one tick after the clock has shown zero.
    if (shownCaption == u"00:00:00")
        return TickOutcome::EndOfGame;
    if (state.secondsLeft < 1)
        return TickOutcome::Idle;

    if (state.clockSeconds == 0.0F) {
        // Borrow a minute (or an hour) as 60 seconds; the decrement below
        // brings the seconds back to 59.
        if (state.clockMinutes > 0) {
            state.clockMinutes = static_cast<std::int16_t>(state.clockMinutes - 1);
            state.clockSeconds = 60.0F;
        } else if (state.clockHours > 0) {
            state.clockHours = static_cast<std::int16_t>(state.clockHours - 1);
            state.clockMinutes = 59;
            state.clockSeconds = 60.0F;
        } else {
            state.clockHours = 0;
            state.clockMinutes = 0;
        }
    }
    state.clockSeconds -= 1.0F;
    state.secondsLeft = static_cast<std::int16_t>(state.secondsLeft - 1);
    return TickOutcome::CountedDown;
}

} // namespace countdown
