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

} // namespace

ChartData pupilChart(const PupilSummary &pupil, const QList<RegisterGame> &games, const QString &period)
{
    ChartData chart;
    const QString name = shownName(pupil.name);
    chart.title = QStringLiteral("Punteggio di %1, partita per partita").arg(name);
    chart.xTitle = QStringLiteral("Partita");
    QStringList items;
    for (qsizetype i = 0; i < games.size(); ++i) {
        chart.points.append(QPointF(double(i + 1), games[i].right));
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
    for (const DayAverage &day : summary.days) {
        chart.points.append(QPointF(double(day.day), day.average));
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
