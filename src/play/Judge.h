#pragma once

#include "state/GameState.h"

#include <QString>
#include <QStringView>
#include <optional>

// The outcome of one judgement, as the window shows it.
struct Verdict
{
    bool right = false;
    QString message;                 // "Esatto. Sei okkk!!!" or "Sbagliato!! <expected>"
    QString rightCaption;            // lblScore
    std::optional<QString> wrongCaption; // lblScore1, written after a wrong answer only
    QString totalCaption;            // lblScore2
};

// Judges the typed text against the exercise in state: multiplies sumA by
// the number in valueOfBCaption (lblvala) and sumB by the number in
// valueOfACaption (lblvalb), stores both products and their sum in
// expectedValue, reads typed by the leading-number rule, counts the answer.
// All arithmetic stays inside 16 bits.
Verdict judgeAnswer(GameState &state, QStringView valueOfBCaption, QStringView valueOfACaption,
                    QStringView typed);
