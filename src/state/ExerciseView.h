#pragma once

#include <QString>
#include <array>

// What the window shows of one exercise, slot by slot from left to right
// (the slots of kTermSlots).
struct ExerciseView
{
    std::array<QString, 4> coefficientCaptions; // sign rule applied
    std::array<QString, 4> letters;             // "a" or "b"
    QString valueOfB;                           // caption of lblvala (valueA)
    QString valueOfA;                           // caption of lblvalb (valueB)
};
