#pragma once

#include "registerview/ClassSummary.h"

#include <span>

// The summary table's columns, as the window, the printed report and the
// screen reader give them: one description serves all three.
struct PupilColumn
{
    const char *header;
    QString (*text)(const PupilSummary &);
    // What the column sorts by; nothing for names, which sort as text.
    double (*sortKey)(const PupilSummary &);
    bool number;
};

std::span<const PupilColumn> pupilColumns();

enum PupilColumnIndex { kNameColumn = 0, kAccountsColumn, kGamesColumn, kLastColumn, kBestColumn, kAverageColumn,
                        kShareColumn, kTrendColumn, kVariantsColumn };

// The row as one sentence for screen readers: "Bea: 12 partite, record 9,
// media 7,5, 80 % di risposte esatte, ultima partita il 18/05/2024 alle
// 10:02, in crescita di 1,4 punti".
QString pupilSentence(const PupilSummary &pupil);

// Italian figures: one decimal with a comma, a local date and time.
QString decimal(double value);
QString shownName(const QString &name);
// A RegisterGame::moment() as "18/05/2024 10:02", or in another format
// (the date's, a blank, the time's).
QString momentText(qint64 moment, const QString &format = QStringLiteral("dd/MM/yyyy HH:mm"));
