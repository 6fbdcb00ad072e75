#pragma once

#include "registerview/ChartData.h"

#include <QtCharts/QChartView>

// Draws ChartData: the score line with its points and the record as a
// dashed line, axes in Italian.
void fillChart(QChart &chart, const ChartData &data);

// The window's chart. A screen reader hears its text alternative, the same
// figures in words, when the Tab key reaches it.
class ProgressChart : public QChartView
{
public:
    explicit ProgressChart(QWidget *parent = nullptr);
    void showData(const ChartData &data);
};
