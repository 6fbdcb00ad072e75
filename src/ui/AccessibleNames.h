#pragma once

#include <QString>

struct Controls;

// Gives every control its Italian name for screen readers, and its tooltip
// as its description. Labels that show a value are read as "name: value".
void applyAccessibleNames(const Controls &controls);

// The exercise as a sentence, e.g. "Espressione: -2a -3b -b -4a. a vale 3,
// b vale -2.", read when the focus lands on the answer.
QString describeExercise(const Controls &controls);
