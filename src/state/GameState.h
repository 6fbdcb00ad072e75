#pragma once

#include <QString>
#include <cstdint>

// The game variables of the window. One instance lives as long as the
// program; a new game reloads the window but keeps it, so only the fields
// that the start-up sequence sets start again.
struct GameState
{
    std::int16_t valueMode = 0;       // how the letter values were drawn, 1..5
    std::int16_t rightAnswers = 0;
    std::int16_t wrongAnswers = 0;
    std::int16_t coef1 = 0;           // shown in lblNum1 (slot 2)
    std::int16_t coef2 = 0;           // shown in lblNum2 (slot 3)
    std::int16_t coef3 = 0;           // shown in lblNum3 (slot 1)
    std::int16_t backgroundShade = 0; // red and green level of the gradient, 0..14
    std::int16_t fileNum = 0;         // number of the record file last opened
    std::int16_t clockHours = 0;
    std::int16_t clockMinutes = 0;
    float clockSeconds = 0.0F;
    std::int16_t secondsLeft = 0;
    QString winDir;                   // record folder, one trailing separator
    std::int16_t coef4 = 0;           // shown in lblNum4 (slot 4)
    std::int16_t sumB = 0;            // total of the a-terms; after judging, times a
    std::int16_t sumA = 0;            // total of the b-terms; after judging, times b
    std::int16_t expectedValue = 0;
    std::int16_t valueA = 0;          // value of the letter b, shown in lblvala
    std::int16_t valueB = 0;          // value of the letter a, shown in lblvalb
    std::int16_t exerciseMode = 0;    // term pattern, 1..5
};
