#pragma once

#include "state/GameState.h"
#include "state/Verdict.h"

#include <QStringView>

// Judges the typed text against the exercise in state: multiplies sumA by
// the number in valueOfBCaption (lblvala) and sumB by the number in
// valueOfACaption (lblvalb), stores both products and their sum in
// expectedValue, reads typed by the leading-number rule, counts the answer.
// All arithmetic stays inside 16 bits.
Verdict judgeAnswer(GameState &state, QStringView valueOfBCaption, QStringView valueOfACaption,
                    QStringView typed);
