#pragma once

#include <QString>
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
