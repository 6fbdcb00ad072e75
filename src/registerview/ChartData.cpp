#include "registerview/ChartData.h"

#include "registerview/PupilColumns.h"

namespace {

// A screen reader hears the last points in full; a long series is said in
// short before them.
constexpr qsizetype kPointsSaid = 20;

QString said(const QStringList &items, const QString &what)
{
    if (items.size() <= kPointsSaid)
        return items.join(QStringLiteral("; "));
    return QStringLiteral("%1 %2, le ultime %3: ").arg(items.size()).arg(what).arg(kPointsSaid)
           + items.mid(items.size() - kPointsSaid).join(QStringLiteral("; "));
}

// Days between two games that break the line.
constexpr qint64 kGapDays = 7;

void addBreak(ChartData &chart, qint64 dayBefore, qint64 day)
{
    if (day - dayBefore >= kGapDays)
        chart.breaks.append(chart.points.size() - 1);
}

// The days from first to last that keep(), or nothing when more than
// maxTicks.
template <class Keep>
QList<qint64> everyDay(qint64 first, qint64 last, int maxTicks, Keep keep)
{
    QList<qint64> ticks;
    for (qint64 day = first; day <= last; ++day) {
        if (!keep(day))
            continue;
        if (ticks.size() == maxTicks)
            return {};
        ticks.append(day);
    }
    return ticks;
}

} // namespace

QList<qint64> dayTicks(qint64 first, qint64 last, int maxTicks)
{
    if (last < first || maxTicks < 1)
        return {};
    for (const int step : {1, 2})
        if (auto ticks = everyDay(first, last, maxTicks, [&](qint64 day) { return (day - first) % step == 0; });
            !ticks.isEmpty())
            return ticks;
    // Mondays: Julian day 0 was one.
    for (const int step : {7, 14})
        if (auto ticks = everyDay(first, last, maxTicks, [&](qint64 day) { return day % step == 0; });
            !ticks.isEmpty())
            return ticks;
    // Months: only their first days are looked at, the days being many.
    const QDate start = QDate::fromJulianDay(first);
    for (const int step : {1, 2, 3, 6, 12, 24, 60, 120, 240, 600, 1200}) {
        QList<qint64> ticks;
        for (QDate month(start.year(), start.month(), 1); month.toJulianDay() <= last && ticks.size() <= maxTicks;
             month = month.addMonths(1))
            if (month.toJulianDay() >= first && (month.year() * 12 + month.month() - 1) % step == 0)
                ticks.append(month.toJulianDay());
        if (ticks.size() <= maxTicks)
            return ticks;
    }
    return {};
}

bool ticksNeedYear(qint64 first, qint64 last, const QDate &today)
{
    const int year = QDate::fromJulianDay(first).year();
    return year != QDate::fromJulianDay(last).year() || year != today.year();
}

ChartData pupilChart(const PupilSummary &pupil, const QList<RegisterGame> &games, const QString &period)
{
    ChartData chart;
    const QString name = shownName(pupil.name);
    chart.title = QStringLiteral("Punteggio di %1, partita per partita").arg(name);
    chart.xTitle = QStringLiteral("Partita");
    QStringList items;
    chart.period = period;
    for (qsizetype i = 0; i < games.size(); ++i) {
        chart.points.append(QPointF(double(i + 1), games[i].right));
        if (i > 0)
            addBreak(chart, games[i - 1].day, games[i].day);
        chart.record = qMax(chart.record, games[i].right);
        items.append(QStringLiteral("partita %1 del %2: %3").arg(i + 1).arg(momentText(games[i].moment()), QString::number(games[i].right)));
    }
    chart.textAlternative = games.isEmpty()
                                ? QStringLiteral("Grafico: %1 non ha partite in questo periodo (%2).").arg(name, period)
                                : QStringLiteral("Grafico del punteggio di %1, %2: %3. Record: %4.")
                                      .arg(name, period, said(items, QStringLiteral("partite")),
                                           QString::number(chart.record));
    return chart;
}

ChartData classChart(const ClassSummary &summary, const QString &period)
{
    ChartData chart;
    chart.title = QStringLiteral("Media della classe, giorno per giorno");
    chart.xTitle = QStringLiteral("Giorno");
    chart.byDay = true;
    chart.record = summary.best;
    QStringList items;
    chart.period = period;
    for (const DayAverage &day : summary.days) {
        chart.points.append(QPointF(double(day.day), day.average));
        if (chart.points.size() > 1)
            addBreak(chart, qint64(chart.points[chart.points.size() - 2].x()), day.day);
        items.append(QStringLiteral("%1: media %2 in %3 %4")
                         .arg(QDate::fromJulianDay(day.day).toString(QStringLiteral("dd/MM/yyyy")), decimal(day.average))
                         .arg(day.games)
                         .arg(day.games == 1 ? QStringLiteral("partita") : QStringLiteral("partite")));
    }
    chart.textAlternative = summary.days.isEmpty()
                                ? QStringLiteral("Grafico: nessuna partita in questo periodo (%1).").arg(period)
                                : QStringLiteral("Grafico della media della classe per giorno, %1: %2. Record: %3.")
                                      .arg(period, said(items, QStringLiteral("giorni")), QString::number(chart.record));
    return chart;
}
