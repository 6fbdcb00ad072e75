#pragma once

#include "exercise/RandomSource.h"
#include "state/ExerciseView.h"
#include "state/GameState.h"

#include <QString>

// Draws a new exercise into state, in the fixed order of the game:
// re-seed with the previous exerciseMode then with 0, draw the mode; re-seed
// from the clock, draw coef1..coef4 (and the shade in mode 1); re-seed from
// the clock; set sumA/sumB; re-seed with the previous valueMode, draw
// valueMode and the values. Returns the captions to show.
ExerciseView drawExercise(GameState &state, RandomSource &random);

// The caption of a coefficient by the sign rule. slot is 1..4 (left to
// right); coef1 decides the "+" of slot 3 in mode 2.
QString coefficientCaption(int slot, int coefficient, int mode, int coef1);

// The view of the exercise that state already holds (letters by mode,
// captions by the sign rule, the values as plain text).
ExerciseView viewOf(const GameState &state);
