#pragma once

#include <QDate>
#include <QString>

// The days the teacher looks at. Weeks start on Monday, as in Italy.
struct Period
{
    enum class Kind { Today, ThisWeek, ThisMonth, Everything, Range };
    Kind kind = Kind::Everything;
    QDate from, to; // for Range, both days included

    // First and last Julian day, both included, counted from today.
    qint64 firstDay(const QDate &today) const;
    qint64 lastDay(const QDate &today) const;
    bool contains(qint64 day, const QDate &today) const { return day >= firstDay(today) && day <= lastDay(today); }

    // "questa settimana (dal 13/05/2024 al 19/05/2024)", "tutto il registro".
    QString describe(const QDate &today) const;
};
