#pragma once

#include "registerview/ClassSummary.h"

#include <QPointF>

// What the chart draws, and the same in words for a screen reader: one
// pupil's score game by game, or the class's average score per day, with
// the record (the best score among them) as a line.
struct ChartData
{
    QString title;
    QString xTitle;
    bool byDay = false;    // x is a Julian day; otherwise the game's number
    QList<QPointF> points; // x, score
    int record = 0;
    QString textAlternative;
};

ChartData pupilChart(const PupilSummary &pupil, const QList<RegisterGame> &games, const QString &period);
ChartData classChart(const ClassSummary &summary, const QString &period);
