#pragma once

#include "state/GameState.h"

#include <QString>
#include <QStringView>

// The 15-minute countdown over the clock fields of GameState. A namespace of
// its own: the window has methods of the same names.
namespace countdown {

// Clock at 0 h 15 min 0 s, secondsLeft 900.
void startCountdown(GameState &state);

// secondsLeft <- clockSeconds + 900 as a 16-bit integer.
void refreshClock(GameState &state);

// "HH:MM:SS", each field at least two digits.
QString clockText(const GameState &state);

enum class TickOutcome
{
    EndOfGame,  // the clock shown reads "00:00:00": the game must end
    CountedDown, // one second taken off; show clockText again
    Idle,       // nothing left to count
};

// One tick. shownCaption is what the clock label reads on screen.
TickOutcome tickCountdown(GameState &state, QStringView shownCaption);

} // namespace countdown
