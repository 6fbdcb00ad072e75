#pragma once

#include "state/GameState.h"

#include <array>
#include <cstdint>

// The row's four terms, slot 1 to 4 from left to right, crossed with the
// names the window gives them: slot 1 shows coef3 in lblNum3 with its letter
// in lblmon, slot 2 coef1 in lblNum1 and lblmon3, and so on.
struct TermSlot
{
    std::int16_t GameState::*coefficient;
    const char *coefficientLabel;
    const char *letterLabel;
};

inline constexpr std::array<TermSlot, 4> kTermSlots{{
    {&GameState::coef3, "lblNum3", "lblmon"},
    {&GameState::coef1, "lblNum1", "lblmon3"},
    {&GameState::coef2, "lblNum2", "lblmon4"},
    {&GameState::coef4, "lblNum4", "lblmon1"},
}};
