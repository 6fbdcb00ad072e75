#pragma once

#include "registerview/ChartData.h"

#include <optional>

class QPagedPaintDevice;

// The report for a parents' meeting: the register and the period, the
// summary table (on as many pages as it takes, its header on each) and the
// chart. The same pages go to a PDF file and to a printer.
struct ReportContent
{
    QString source;     // the register file
    QString period;     // Period::describe()
    int unreadable = 0; // lines of the register that could not be read
    QList<PupilSummary> pupils;
    ChartData chart;
};

// On the device's own pages (a printer keeps the paper chosen in its
// dialog). False when the device could not be painted on.
bool paintReport(QPagedPaintDevice &device, const ReportContent &content);

// Writes the report as a PDF, or the bytes as a file, replacing path only
// once it is written whole; why not, in Italian, naming the file.
std::optional<QString> writeReportPdf(const QString &path, const ReportContent &content);
std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes);
