#include "registerview/ProgressChart.h"

#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

namespace {

qint64 dayMsecs(double julianDay)
{
    return QDateTime(QDate::fromJulianDay(qint64(julianDay)), QTime(12, 0)).toMSecsSinceEpoch();
}

} // namespace

void fillChart(QChart &chart, const ChartData &data)
{
    chart.removeAllSeries();
    // The chart gives an axis it removes back to its caller.
    for (QAbstractAxis *axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    chart.setTitle(data.title);
    chart.setLocale(QLocale(QLocale::Italian));
    chart.setLocalizeNumbers(true);
    chart.legend()->setAlignment(Qt::AlignBottom);

    double first = 1, last = 1, top = data.record;
    for (const QPointF &point : data.points) {
        top = std::max(top, point.y());
        last = std::max(last, point.x());
    }
    if (!data.points.isEmpty())
        first = data.points.front().x();
    // One point alone still gets some room on both sides.
    const double pad = data.byDay ? 1 : 0.5;
    const double left = first - (first == last ? pad : 0), right = last + (first == last ? pad : 0);

    auto *scores = new QLineSeries;
    scores->setName(data.byDay ? QStringLiteral("Media della classe") : QStringLiteral("Punteggio"));
    scores->setPointsVisible(true);
    for (const QPointF &point : data.points)
        scores->append(data.byDay ? double(dayMsecs(point.x())) : point.x(), point.y());
    auto *record = new QLineSeries;
    record->setName(QStringLiteral("Record: %1").arg(data.record));
    QPen dashed(QColor(0xc0, 0x30, 0x30), 2, Qt::DashLine);
    record->setPen(dashed);
    const double from = data.byDay ? double(dayMsecs(left)) : left;
    const double to = data.byDay ? double(dayMsecs(right)) : right;
    record->append(from, data.record);
    record->append(to, data.record);
    chart.addSeries(scores);
    chart.addSeries(record);

    QAbstractAxis *xAxis = nullptr;
    if (data.byDay) {
        auto *days = new QDateTimeAxis;
        days->setFormat(QStringLiteral("dd/MM"));
        days->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)), QDateTime::fromMSecsSinceEpoch(qint64(to)));
        days->setTickCount(int(std::clamp(right - left + 1, 2.0, 8.0)));
        xAxis = days;
    } else {
        auto *games = new QValueAxis;
        games->setLabelFormat(QStringLiteral("%.0f"));
        games->setRange(left, right);
        games->setTickCount(int(std::clamp(right - left + 1, 2.0, 11.0)));
        xAxis = games;
    }
    xAxis->setTitleText(data.xTitle);
    auto *yAxis = new QValueAxis;
    yAxis->setTitleText(QStringLiteral("Punti"));
    yAxis->setLabelFormat(QStringLiteral("%.0f"));
    yAxis->setRange(0, std::max(1.0, top + 1));
    yAxis->applyNiceNumbers();
    chart.addAxis(xAxis, Qt::AlignBottom);
    chart.addAxis(yAxis, Qt::AlignLeft);
    for (QLineSeries *series : {scores, record}) {
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

void ProgressChart::showData(const ChartData &data)
{
    fillChart(*chart(), data);
    setAccessibleName(data.title);
    setAccessibleDescription(data.textAlternative);
    setToolTip(data.textAlternative);
}
