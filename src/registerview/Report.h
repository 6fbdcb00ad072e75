#pragma once

#include "registerview/ChartData.h"
#include "registerview/ReportLayout.h"

#include <optional>

struct RegisterData;

// The report for a parents' meeting or the staff room: the class's, with
// the summary table, or one pupil's ("Scheda di NOME"), with that pupil's
// games and no other name. The same pages go to a PDF file and to a
// printer.
struct ReportContent
{
    QString source;     // the register file
    QString period;     // Period::describe()
    QString search;     // the text typed in the search box, if any
    int unreadable = 0; // lines of the register that could not be read
    QList<PupilSummary> pupils;
    ChartData chart;
};

struct PupilReportContent
{
    QString period;
    PupilSummary pupil;
    QList<RegisterGame> games; // in the period, oldest first
    ChartData chart;
};

// One pupil's report from the register: nothing when no game of the period
// is theirs.
std::optional<PupilReportContent> pupilReportContent(const RegisterData &data, const QString &key, const Period &period,
                                                     const QDate &today);

// Writes the report as a PDF, or the bytes as a file, replacing path only
// once it is written whole; the error number when it could not.
std::optional<int> writeReportPdf(const QString &path, const ReportDocument &document);
std::optional<int> writeWholeFile(const QString &path, const QByteArray &bytes);
