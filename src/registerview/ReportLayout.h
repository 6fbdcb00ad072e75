#pragma once

#include "registerview/ChartData.h"

#include <QDate>
#include <QStringList>

class QPagedPaintDevice;

// A report as its pages hold it: a title, the lines under it that say what
// it holds, the chart, then one table over as many pages as it takes (its
// header on each page), and on every page a footer and the page's number.
// Columns are as wide as their text and never touch; text too long for
// its column is wrapped, never cut.
struct ReportTable
{
    QStringList headers;
    QList<QStringList> rows;
    QList<bool> numbers; // per column: right-aligned
    QList<bool> wraps;   // per column: may be narrower than its text, wrapped
};

struct ReportDocument
{
    QString title;
    QStringList lines;
    ChartData chart;
    QDate today; // the chart's labels show the year unless it is this one
    ReportTable table;
    QString footer; // on every page, before the page's number
};

// On the device's own pages (a printer keeps the paper chosen in its
// dialog). False when the device could not be painted on.
bool paintReport(QPagedPaintDevice &device, const ReportDocument &document);
