#include "registerview/Period.h"

#include <limits>

namespace {

QString day(qint64 julian) { return QDate::fromJulianDay(julian).toString(QStringLiteral("dd/MM/yyyy")); }

} // namespace

qint64 Period::firstDay(const QDate &today) const
{
    switch (kind) {
    case Kind::Today: return today.toJulianDay();
    case Kind::ThisWeek: return today.toJulianDay() - (today.dayOfWeek() - 1);
    case Kind::ThisMonth: return QDate(today.year(), today.month(), 1).toJulianDay();
    case Kind::Everything: return std::numeric_limits<qint64>::min();
    case Kind::Range: return qMin(from, to).toJulianDay();
    }
    return 0;
}

qint64 Period::lastDay(const QDate &today) const
{
    switch (kind) {
    case Kind::Today: return today.toJulianDay();
    case Kind::ThisWeek: return today.toJulianDay() + (7 - today.dayOfWeek());
    case Kind::ThisMonth: return QDate(today.year(), today.month(), today.daysInMonth()).toJulianDay();
    case Kind::Everything: return std::numeric_limits<qint64>::max();
    case Kind::Range: return qMax(from, to).toJulianDay();
    }
    return 0;
}

QString Period::describe(const QDate &today) const
{
    const QString span = QStringLiteral(" (dal %1 al %2)").arg(day(firstDay(today)), day(lastDay(today)));
    switch (kind) {
    case Kind::Today: return QStringLiteral("oggi, %1").arg(day(firstDay(today)));
    case Kind::ThisWeek: return QStringLiteral("questa settimana") + span;
    case Kind::ThisMonth: return QStringLiteral("questo mese") + span;
    case Kind::Everything: return QStringLiteral("tutto il registro");
    case Kind::Range: return span.mid(2, span.size() - 3);
    }
    return {};
}
