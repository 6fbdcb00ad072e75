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
    QList<QPointF> points; // x, score; none: nothing to draw
    // Where the line breaks: the points that come a week or more after the
    // one before (a holiday is no straight climb).
    QList<qsizetype> breaks;
    int record = 0;
    QString period; // Period::describe()
    QString textAlternative;
};

ChartData pupilChart(const PupilSummary &pupil, const QList<RegisterGame> &games, const QString &period);
ChartData classChart(const ClassSummary &summary, const QString &period);

// The days, on midnight, that a chart from first to last labels: every
// day, every second day, every Monday, every second Monday, or the first
// of every month (or of every 2nd, 3rd, 6th, 12th month), at most maxTicks.
QList<qint64> dayTicks(qint64 first, qint64 last, int maxTicks = 10);
// Whether those labels need the year: two years shown, or not this one.
bool ticksNeedYear(qint64 first, qint64 last, const QDate &today);
