#pragma once

#include "registerview/Period.h"
#include "fileformats/RegisterParser.h"

#include <optional>

// What the register says of each pupil, and of the class, in a period.

// Names that differ only in capitals or in blanks at their ends are one
// pupil.
QString pupilKey(const QString &name);

struct PupilSummary
{
    QString key;
    QString name;         // the form typed most often (the first, when tied)
    QStringList variants; // the other forms, as typed
    QStringList accounts; // the login accounts that played under the name
    int games = 0;
    qint64 firstMoment = 0; // RegisterGame::moment() of the first game
    qint64 lastMoment = 0;  // and of the last
    int best = 0;
    double average = 0;
    int right = 0; // all right answers, of all answers
    int answers = 0;
    // The last five games' average score against the five before (with
    // fewer than ten games, the newer half against the older); nothing
    // with fewer than two.
    std::optional<double> trend;

    std::optional<double> rightShare() const;
};

struct DayAverage
{
    qint64 day = 0;
    double average = 0;
    int games = 0;
};

struct ClassSummary
{
    QList<PupilSummary> pupils; // in the order of their first game
    QList<DayAverage> days;     // the class's average score per day with games
    int games = 0;
    int best = 0;
};

ClassSummary summarize(const QList<RegisterGame> &games, const QStringList &names, const Period &period,
                       const QDate &today, const QStringList &accounts = {});

// One pupil's games in the period, oldest first.
QList<RegisterGame> pupilGames(const QList<RegisterGame> &games, const QStringList &names, const QString &key,
                               const Period &period, const QDate &today);
