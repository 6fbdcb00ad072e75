#pragma once

#include "fileformats/RegisterParser.h"
#include "registerview/RegisterFile.h"

#include <QDateTime>
#include <QString>

struct ChartData;
struct PupilReportContent;
struct ReportContent;
struct ReportDocument;

// What the register window and its program tell the teacher, in Italian:
// the logic hands over states and figures, these word them.

// Why there is no register to show, naming the file: missing (where it will
// be), forbidden (with the fix: which group to join, then log out and in),
// or why it could not be read.
QString registerProblemText(const ReadProblem &problem, const QString &path);

// "1 riga non letta", "3 righe non lette".
QString unreadLinesText(int count);
// Why one line was not read, as a phrase for the list of those lines.
QString unreadReasonText(UnreadReason reason);
// Above the list: how many lines, and that only the first are listed.
QString unreadListHeading(int count, qsizetype listed);

// A file that could not be written, naming it.
QString cannotWriteText(const QString &path, int error);
// --pupil with a name the register does not hold.
QString unknownPupilText(const QString &name, const QString &path);

// In the chart's place when it has nothing to draw.
QString emptyChartText(const ChartData &chart);

// "Pagina 2 di 5", at the foot of every page of a report.
QString pageNumberText(int page, int pages);

// The reports in words: the class's, saying its period, the search typed
// and the register; one pupil's, titled "Scheda di NOME" and naming no one
// else. Each page says when the report was made.
ReportDocument classReportDocument(const ReportContent &content, const QDate &today,
                                   const QDateTime &made = QDateTime::currentDateTime());
ReportDocument pupilReportDocument(const PupilReportContent &content, const QDate &today,
                                   const QDateTime &made = QDateTime::currentDateTime());
