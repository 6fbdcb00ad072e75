#pragma once

#include "registerview/ClassSummary.h"

#include <QByteArray>

// The summary table as a file for a spreadsheet, in the register's own
// style: UTF-8, ';' between fields, CR LF after each line, names guarded
// against being run as formulas. Figures are plain numbers with a decimal
// comma, as a spreadsheet with Italian settings reads them.
QByteArray summaryCsv(const QList<PupilSummary> &pupils);
