#include "registerview/ProgressChart.h"

#include "registerview/RegisterMessages.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Game numbers every 1, 2, 5, 10, 20, 50... games: ten labels at most, each
// on a whole game.
double gameStep(double games)
{
    for (double step = 1;; step *= 10)
        for (const double times : {1.0, 2.0, 5.0})
            if (games / (step * times) <= 10)
                return step * times;
}

// Days on midnight, labelled with their date.
QAbstractAxis *dayAxis(double left, double right, const QDate &today)
{
    auto *days = new QCategoryAxis;
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    days->setRange(left, right);
    days->setStartValue(left);
    const qint64 first = qint64(std::ceil(left)), last = qint64(std::floor(right));
    const QString format = ticksNeedYear(first, last, today) ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("dd/MM");
    for (const qint64 day : dayTicks(first, last))
        days->append(QDate::fromJulianDay(day).toString(format), double(day));
    return days;
}

QAbstractAxis *gameAxis(double left, double right)
{
    auto *games = new QValueAxis;
    games->setLabelFormat(QStringLiteral("%.0f"));
    games->setRange(left, right);
    const double step = gameStep(right - left);
    games->setTickType(QValueAxis::TicksDynamic);
    games->setTickAnchor(step == 1 ? 1 : 0);
    games->setTickInterval(step);
    return games;
}

} // namespace

void fillChart(QChart &chart, const ChartData &data, const QDate &today)
{
    chart.removeAllSeries();
    // The chart gives an axis it removes back to its caller.
    for (QAbstractAxis *axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    chart.setLocale(QLocale(QLocale::Italian));
    chart.setLocalizeNumbers(true);
    chart.legend()->setAlignment(Qt::AlignBottom);
    // Nothing to draw: a sentence, never axes made up around nothing.
    chart.legend()->setVisible(!data.points.isEmpty());
    if (data.points.isEmpty()) {
        chart.setTitle(emptyChartText(data));
        return;
    }
    chart.setTitle(data.title);

    double first = data.points.front().x(), last = first, top = data.record;
    for (const QPointF &point : data.points) {
        top = std::max(top, point.y());
        first = std::min(first, point.x());
        last = std::max(last, point.x());
    }
    // Some room on both sides, so the first and last points are not on the
    // edge; half a game, never a game 0.
    const double pad = data.byDay ? std::max(1.0, (last - first) * 0.02) : 0.5;
    const double left = first - pad, right = last + pad;

    // One line for each stretch without a week's gap: all one colour, named
    // once in the legend.
    QList<QLineSeries *> lines;
    const QColor colour(0x20, 0x60, 0xb0);
    for (qsizetype i = 0; i < data.points.size(); ++i) {
        if (lines.isEmpty() || data.breaks.contains(i)) {
            lines.append(new QLineSeries);
            lines.back()->setPen(QPen(colour, 2));
            lines.back()->setColor(colour);
            lines.back()->setPointsVisible(true);
        }
        lines.back()->append(data.points[i]);
    }
    lines.front()->setName(data.byDay ? QStringLiteral("Media della classe") : QStringLiteral("Punteggio"));
    auto *record = new QLineSeries;
    record->setName(QStringLiteral("Record: %1").arg(data.record));
    record->setPen(QPen(QColor(0xc0, 0x30, 0x30), 2, Qt::DashLine));
    record->append(left, data.record);
    record->append(right, data.record);
    lines.append(record);
    for (QLineSeries *series : lines)
        chart.addSeries(series);
    for (qsizetype i = 1; i + 1 < lines.size(); ++i)
        for (QLegendMarker *marker : chart.legend()->markers(lines[i]))
            marker->setVisible(false);

    QAbstractAxis *xAxis = data.byDay ? dayAxis(left, right, today) : gameAxis(left, right);
    xAxis->setTitleText(data.xTitle);
    auto *yAxis = new QValueAxis;
    yAxis->setTitleText(QStringLiteral("Punti"));
    yAxis->setLabelFormat(QStringLiteral("%.0f"));
    yAxis->setRange(0, std::max(1.0, top + 1));
    yAxis->applyNiceNumbers();
    chart.addAxis(xAxis, Qt::AlignBottom);
    chart.addAxis(yAxis, Qt::AlignLeft);
    for (QLineSeries *series : lines) {
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
}

ProgressChart::ProgressChart(QWidget *parent)
    : QChartView(new QChart, parent)
{
    setObjectName(QStringLiteral("progressChart"));
    viewport()->setObjectName(QStringLiteral("progressChartArea"));
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(260);
}

void ProgressChart::showData(const ChartData &data, const QDate &today)
{
    fillChart(*chart(), data, today);
    setAccessibleName(data.points.isEmpty() ? emptyChartText(data) : data.title);
    setAccessibleDescription(data.textAlternative);
    setToolTip(data.textAlternative);
}
