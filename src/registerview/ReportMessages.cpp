// The reports' words (declared in RegisterMessages.h).
#include "registerview/RegisterMessages.h"

#include "registerview/PupilColumns.h"
#include "registerview/Report.h"

#include <QDir>

#include <limits>

namespace {

const QString kRegisterTitle = QStringLiteral("Registro di Tarvimonda");

QString madeOn(const QDateTime &made)
{
    return made.toString(QStringLiteral("dd/MM/yyyy 'alle' HH:mm"));
}

QString header(PupilColumnIndex column) { return QString::fromUtf8(pupilColumns()[column].header); }

// The period, and the days its games were played on.
QString periodLine(const QString &period, qint64 first, qint64 last)
{
    const auto day = [](qint64 moment) { return QDate::fromJulianDay(moment / 86'400).toString(QStringLiteral("dd/MM/yyyy")); };
    return first > last ? QStringLiteral("Periodo: %1. Nessuna partita.").arg(period)
                        : QStringLiteral("Periodo: %1. Partite dal %2 al %3.").arg(period, day(first), day(last));
}

} // namespace

ReportDocument classReportDocument(const ReportContent &content, const QDate &today, const QDateTime &made)
{
    ReportDocument document;
    document.title = kRegisterTitle;
    qint64 first = std::numeric_limits<qint64>::max(), last = 0;
    for (const PupilSummary &pupil : content.pupils) {
        first = qMin(first, pupil.firstMoment);
        last = qMax(last, pupil.lastMoment);
    }
    document.lines.append(periodLine(content.period, first, last));
    if (!content.search.trimmed().isEmpty())
        document.lines.append(QStringLiteral("Solo gli alunni trovati cercando «%1».").arg(content.search));
    document.lines.append(QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(content.source)));
    int games = 0;
    for (const PupilSummary &pupil : content.pupils)
        games += pupil.games;
    QString counts = QStringLiteral("Alunni: %1. Partite: %2.").arg(content.pupils.size()).arg(games);
    if (content.unreadable > 0)
        counts += QStringLiteral(" Nel registro: %1.").arg(unreadLinesText(content.unreadable));
    document.lines.append(counts);
    document.chart = content.chart;
    document.today = today;
    for (const PupilColumn &column : pupilColumns()) {
        document.table.headers.append(QString::fromUtf8(column.header));
        document.table.numbers.append(column.number);
    }
    // Names, accounts and other spellings may be long; figures and dates
    // keep their width.
    document.table.wraps = QList<bool>(document.table.headers.size(), false);
    for (const PupilColumnIndex column : {kNameColumn, kAccountsColumn, kVariantsColumn})
        document.table.wraps[column] = true;
    for (const PupilSummary &pupil : content.pupils) {
        QStringList cells;
        for (const PupilColumn &column : pupilColumns())
            cells.append(column.text(pupil));
        document.table.rows.append(cells);
    }
    document.footer = QStringLiteral("%1, report fatto il %2").arg(kRegisterTitle, madeOn(made));
    return document;
}

ReportDocument pupilReportDocument(const PupilReportContent &content, const QDate &today, const QDateTime &made)
{
    const PupilSummary &pupil = content.pupil;
    ReportDocument document;
    document.title = QStringLiteral("Scheda di %1").arg(shownName(pupil.name));
    document.lines.append(periodLine(content.period, pupil.firstMoment, pupil.lastMoment));
    // The figures as the class's table gives them; never the accounts,
    // which may be someone else's.
    QStringList figures;
    for (const PupilColumnIndex column : {kGamesColumn, kBestColumn, kAverageColumn, kShareColumn, kTrendColumn, kLastColumn})
        figures.append(QStringLiteral("%1: %2").arg(header(column), pupilColumns()[column].text(pupil)));
    document.lines.append(figures.join(QStringLiteral(" · ")));
    if (!pupil.variants.isEmpty())
        document.lines.append(QStringLiteral("%1: %2").arg(header(kVariantsColumn), pupilColumns()[kVariantsColumn].text(pupil)));
    document.chart = content.chart;
    document.today = today;
    document.table.headers = {QStringLiteral("Partita"), QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Esatte"),
                              QStringLiteral("Errate"), QStringLiteral("Totali"), QStringLiteral("Nuovo record")};
    document.table.numbers = {true, false, false, true, true, true, false};
    document.table.wraps = QList<bool>(document.table.headers.size(), false);
    for (qsizetype i = 0; i < content.games.size(); ++i) {
        const RegisterGame &game = content.games[i];
        const QString when = momentText(game.moment(), QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        document.table.rows.append({QString::number(i + 1), when.section(u' ', 0, 0), when.section(u' ', 1),
                                    QString::number(game.right), QString::number(game.wrong), QString::number(game.total),
                                    game.newRecord ? QStringLiteral("sì") : QStringLiteral("–")});
    }
    document.footer = QStringLiteral("%1, fatta il %2").arg(document.title, madeOn(made));
    return document;
}
