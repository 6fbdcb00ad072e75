#pragma once

#include "state/ExerciseView.h"
#include "state/Verdict.h"

#include <cstdint>

struct Controls;

// Before a new exercise: empties both answer boxes and the verdict and
// turns the row green.
void clearExercise(const Controls &controls);

// Writes the exercise into the row, slot by slot, and the values of a and b,
// then hands the focus to the hidden box, which reads the exercise aloud.
void showExercise(const Controls &controls, const ExerciseView &view);

// Writes the verdict and the counters, colours the row (red on black when
// wrong) and hands the focus to the next-exercise button, which says it.
void showVerdict(const Controls &controls, const Verdict &verdict, std::int16_t expectedValue);
