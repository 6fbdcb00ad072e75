#pragma once

#include "registerview/ChartData.h"

#include <QtCharts/QChartView>

// Draws ChartData: the score line with its points, broken where a week or
// more passed, and the record as a dashed line; days labelled on midnight,
// with the year when it is not today's. With no points, a sentence alone.
void fillChart(QChart &chart, const ChartData &data, const QDate &today);

// The window's chart. A screen reader hears its text alternative, the same
// figures in words, when the Tab key reaches it.
class ProgressChart : public QChartView
{
public:
    explicit ProgressChart(QWidget *parent = nullptr);
    void showData(const ChartData &data, const QDate &today);
};
