// The figures of the register window from a small register with known
// answers: pupils grouped, periods, shares, trends, the chart, the words a
// screen reader hears, the CSV; and where the register is looked for.
#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "fileformats/RegisterFormat.h"
#include "registerview/ChartData.h"
#include "registerview/PupilColumns.h"
#include "registerview/PupilTableModel.h"
#include "registerview/RegisterProgram.h"
#include "registerview/SummaryCsv.h"
#include "settings/Configuration.h"

#include <QTest>

#include <algorithm>

namespace {

const QDate kToday(2024, 5, 15); // a Wednesday

// Ugo practised in April, scoring 1 to 12; then, in May, Bea typed her
// name three ways.
QByteArray classRegisterBytes()
{
    QByteArray bytes = registerHeader();
    const auto add = [&bytes](const char *when, const QString &name, int right, int wrong) {
        bytes += registerLine({QDateTime::fromString(QLatin1StringView(when), Qt::ISODate), name, right, wrong,
                               right + wrong, false, QStringLiteral("alunno")});
    };
    for (int score = 1; score <= 12; ++score)
        add(qPrintable(QStringLiteral("2024-04-%1T09:00:00").arg(score, 2, 10, QChar(u'0'))), QStringLiteral("Ugo"), score, 0);
    add("2024-05-06T09:00:00", QStringLiteral("Bea"), 4, 2);
    add("2024-05-13T09:00:00", QStringLiteral("Bea"), 5, 1);
    add("2024-05-13T10:00:00", QStringLiteral("bea "), 7, 1);
    add("2024-05-14T09:00:00", QStringLiteral("BEA"), 6, 2);
    add("2024-05-15T09:00:00", QStringLiteral("Ugo"), 3, 3);
    return bytes;
}

ParsedRegister classRegister() { return parseRegister(classRegisterBytes(), true); }

ClassSummary summaryFor(Period period)
{
    const ParsedRegister parsed = classRegister();
    return summarize(parsed.games, parsed.names, period, kToday);
}

// name, games, best, average, share, trend, variants: as the table shows them
// (the accounts apart, which these registers do not hold).
QStringList rows(const ClassSummary &summary)
{
    QStringList out;
    for (const PupilSummary &pupil : summary.pupils) {
        QStringList cells;
        for (const PupilColumn &column : pupilColumns())
            if (&column != &pupilColumns()[kAccountsColumn])
                cells << column.text(pupil);
        out << cells.join(u'|');
    }
    return out;
}

} // namespace

class ClassSummaryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figuresFollowThePeriod_data()
    {
        QTest::addColumn<Period>("period");
        QTest::addColumn<QStringList>("rows");
        using K = Period::Kind;
        QTest::newRow("everything") << Period{K::Everything, {}, {}} << QStringList{
            // Ugo: last five (9..12, 3) average 9, the five before 6.
            QStringLiteral("Ugo|13|15/05/2024 09:00|12|6,2|96 %|+3,0|"),
            // Bea: 22 right of 28; the newer half (7, 6) against (4, 5).
            QStringLiteral("Bea|4|14/05/2024 09:00|7|5,5|79 %|+2,0|«bea », «BEA»")};
        QTest::newRow("today") << Period{K::Today, {}, {}} << QStringList{QStringLiteral("Ugo|1|15/05/2024 09:00|3|3,0|50 %|–|")};
        QTest::newRow("this week, from Monday") << Period{K::ThisWeek, {}, {}} << QStringList{
            // Each form typed once: the first is shown.
            QStringLiteral("Bea|3|14/05/2024 09:00|7|6,0|82 %|-1,0|«bea », «BEA»"),
            QStringLiteral("Ugo|1|15/05/2024 09:00|3|3,0|50 %|–|")};
        QTest::newRow("this month") << Period{K::ThisMonth, {}, {}} << QStringList{
            QStringLiteral("Bea|4|14/05/2024 09:00|7|5,5|79 %|+2,0|«bea », «BEA»"),
            QStringLiteral("Ugo|1|15/05/2024 09:00|3|3,0|50 %|–|")};
        QTest::newRow("from a day to a day, given backwards")
            << Period{K::Range, QDate(2024, 4, 5), QDate(2024, 4, 1)}
            << QStringList{QStringLiteral("Ugo|5|05/04/2024 09:00|5|3,0|100 %|+2,0|")};
    }
    void figuresFollowThePeriod()
    {
        QFETCH(Period, period);
        QFETCH(QStringList, rows);
        QCOMPARE(::rows(summaryFor(period)), rows);
    }

    // Who played is shown beside the name; a line from before the accounts
    // were kept still counts, with none.
    void theAccountsThatPlayedAreShown()
    {
        const QDateTime when(QDate(2024, 5, 14), QTime(9, 0));
        const QByteArray bytes = "Data;Ora;Nome;Esatte;Errate;Totali;Record\r\n2024-05-13;10:00:00;Bea;1;1;2;no\r\n"
                                 + registerLine({when, QStringLiteral("Bea"), 3, 1, 4, false, QStringLiteral("alunno3")})
                                 + registerLine({when, QStringLiteral("bea"), 2, 0, 2, false, QStringLiteral("alunno5")});
        const ParsedRegister parsed = parseRegister(bytes, true);
        const Period everything{Period::Kind::Everything, {}, {}};
        const ClassSummary summary = summarize(parsed.games, parsed.names, everything, kToday, parsed.accounts);
        QCOMPARE(summary.games, 3);
        QCOMPARE(summary.pupils.size(), 1);
        QCOMPARE(pupilColumns()[kAccountsColumn].text(summary.pupils[0]), QStringLiteral("alunno3, alunno5"));
    }

    // A register sorted in a spreadsheet, newest line first: the trend and
    // the last game still follow the time of the games.
    void linesOutOfOrderAreTakenInTimeOrder()
    {
        QList<QByteArray> lines = classRegisterBytes().split('\n');
        QVERIFY(lines.size() > 3 && lines.back().isEmpty());
        std::reverse(lines.begin() + 1, lines.end() - 1);
        const ParsedRegister parsed = parseRegister(lines.join('\n'), true);
        const Period everything{Period::Kind::Everything, {}, {}};
        QCOMPARE(rows(summarize(parsed.games, parsed.names, everything, kToday)), rows(summaryFor(everything)));
    }

    void theChartAndItsWords()
    {
        const Period week{Period::Kind::ThisWeek, {}, {}};
        const ClassSummary summary = summaryFor(week);
        const ParsedRegister parsed = classRegister();
        const ChartData bea = pupilChart(summary.pupils[0], pupilGames(parsed.games, parsed.names, QStringLiteral("bea"), week, kToday),
                                         week.describe(kToday));
        QCOMPARE(bea.points, (QList<QPointF>{{1, 5}, {2, 7}, {3, 6}}));
        QCOMPARE(bea.record, 7);
        QCOMPARE(bea.textAlternative,
                 QStringLiteral("Grafico del punteggio di Bea, questa settimana (dal 13/05/2024 al 19/05/2024): partita 1 del "
                                "13/05/2024 09:00: 5; partita 2 del 13/05/2024 10:00: 7; partita 3 del 14/05/2024 09:00: 6. Record: 7."));
        const ChartData whole = classChart(summary, week.describe(kToday));
        QVERIFY(whole.byDay);
        QCOMPARE(whole.points, (QList<QPointF>{{double(QDate(2024, 5, 13).toJulianDay()), 6},
                                               {double(QDate(2024, 5, 14).toJulianDay()), 6},
                                               {double(kToday.toJulianDay()), 3}}));
        QCOMPARE(whole.record, 7);
        QVERIFY(whole.textAlternative.contains(QStringLiteral("13/05/2024: media 6,0 in 2 partite; 14/05/2024")));

        // What a screen reader says of a row, and the model's columns.
        PupilTableModel model;
        model.setPupils(summary.pupils);
        QCOMPARE(model.data(model.index(0, kNameColumn), Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Bea: 3 partite, record 7, media 6,0, 82 % di risposte esatte, ultima partita il 14/05/2024 "
                                "alle 09:00, in calo di 1,0 punti, scritto anche «bea », «BEA»"));
        QCOMPARE(model.data(model.index(1, kBestColumn), Qt::AccessibleTextRole).toString(), QStringLiteral("Record: 3"));
        QCOMPARE(model.data(model.index(1, kBestColumn), PupilTableModel::kSortRole).toDouble(), 3.0);
        // New figures keep the rows in place, so a selection stays.
        model.setPupils(summaryFor({}).pupils);
        QCOMPARE(model.data(model.index(0, kNameColumn), Qt::DisplayRole).toString(), QStringLiteral("Bea"));
        QCOMPARE(model.data(model.index(1, kGamesColumn), Qt::DisplayRole).toString(), QStringLiteral("13"));
    }

    // A chart's labelled days: few, inside the span, evenly spaced (a fixed
    // number of days, or the first of every so many months).
    void theChartsDaysAreEven()
    {
        const qint64 start = QDate(2025, 9, 10).toJulianDay();
        for (const qint64 span : {0, 4, 15, 40, 100, 300, 400, 3000}) {
            const QList<qint64> ticks = dayTicks(start, start + span);
            QVERIFY2(!ticks.isEmpty() && ticks.size() <= 10 && ticks.front() >= start && ticks.back() <= start + span,
                     qPrintable(QString::number(span)));
            // The month of a first day, counted from year 0.
            const auto month = [](qint64 day) {
                const QDate date = QDate::fromJulianDay(day);
                return date.day() == 1 ? date.year() * 12 + date.month() : -1;
            };
            bool days = true, months = month(ticks.front()) > 0;
            for (qsizetype i = 1; i < ticks.size(); ++i) {
                days = days && ticks[i] - ticks[i - 1] == ticks[1] - ticks[0];
                months = months && month(ticks[i]) - month(ticks[i - 1]) == month(ticks[1]) - month(ticks[0]);
            }
            QVERIFY2(days || months, qPrintable(QString::number(span)));
        }
        QVERIFY(!ticksNeedYear(start, start + 30, QDate(2025, 12, 1)));
        QVERIFY(ticksNeedYear(start, start + 200, QDate(2025, 12, 1)));
        QVERIFY(ticksNeedYear(start, start + 30, QDate(2026, 1, 1)));
    }

    // The register's own conventions; figures stay numbers, names never
    // become formulas.
    void theCsvKeepsTheRegistersConventions()
    {
        ClassSummary summary = summaryFor({Period::Kind::ThisWeek, {}, {}});
        summary.pupils[1].name = QStringLiteral("=Leo;B");
        QCOMPARE(summaryCsv(summary.pupils),
                 QByteArray("Nome;Partite;Ultima partita;Record;Media;Esatte (%);Andamento;Scritto anche\r\n"
                            "Bea;3;2024-05-14 09:00:00;7;6,0;81,8;-1,0;«bea », «BEA»\r\n"
                            "\"'=Leo;B\";1;2024-05-15 09:00:00;3;3,0;50,0;;\r\n"));
    }

    void theRegisterFileAndTheCommandLine()
    {
        const auto line = [](const QString &text) {
            return parseCommandLine(QStringList{QStringLiteral("tarvimonda")} + text.split(u' ', Qt::SkipEmptyParts));
        };
        Configuration classFolder;
        classFolder.recordFolder = QByteArray("/var/lib/tarvimonda");
        QCOMPARE(defaultRegisterFile(line({}), classFolder), QStringLiteral("/var/lib/tarvimonda/registro.csv"));
        QCOMPARE(defaultRegisterFile(line(QStringLiteral("--record-folder=/srv/x")), classFolder), QStringLiteral("/srv/x/registro.csv"));
        QCOMPARE(defaultRegisterFile(line({}), {}), defaultRecordFolder() + QStringLiteral("/registro.csv"));

        CommandLine read = line(QStringLiteral("--register /a/b.csv --export-pdf /o.pdf"));
        QCOMPARE(read.action, CommandLine::Action::Register);
        QCOMPARE(read.registerFile, QStringLiteral("/a/b.csv"));
        QCOMPARE(read.exportPdf, QStringLiteral("/o.pdf"));
        read = line(QStringLiteral("--register --export-csv=/o.csv"));
        QCOMPARE(read.action, CommandLine::Action::Register);
        QVERIFY(read.registerFile.isEmpty());
        QCOMPARE(read.exportCsv, QStringLiteral("/o.csv"));
        read = line(QStringLiteral("--register --export-pdf /o.pdf --pupil=-Leo"));
        QCOMPARE(read.pupil, QStringLiteral("-Leo"));
        for (const char *wrong : {"--export-pdf /o.pdf", "--register=", "--register --export-csv", "--register --pupil Bea",
                                  "--register --export-pdf /o.pdf --pupil", "--register --export-pdf /o.pdf --export-csv /o.csv --pupil Bea"}) {
            read = line(QLatin1StringView(wrong));
            QCOMPARE(read.action, CommandLine::Action::Error);
            QVERIFY2(read.text.startsWith(QStringLiteral("tarvimonda: ")) && read.text.count(u'\n') == 1, qPrintable(read.text));
        }
    }
};

QTEST_GUILESS_MAIN(ClassSummaryTest)
#include "test_class_summary.moc"
