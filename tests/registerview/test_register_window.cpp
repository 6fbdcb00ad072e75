// The register window as a teacher uses it, with the keyboard: sorting, a
// period, a search, a pupil's chart, what a screen reader reads, a game that
// ends meanwhile; the report as PDF; and the program writing it with no
// display at all.
#include "FileBytes.h"

#include "record/RecordFolder.h"
#include "record/Register.h"
#include "registerview/ProgressChart.h"
#include "registerview/PupilColumns.h"
#include "registerview/RegisterMessages.h"
#include "registerview/RegisterWindow.h"

#include <QAccessible>
#include <QAction>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDate kToday(2024, 5, 15);
const ReadProblem kMissing{ReadProblem::Kind::Missing, ENOENT, {}, {}};

void addGame(const QString &folderPath, const char *when, const QString &name, int right)
{
    recordio::RecordFolder folder(QFile::encodeName(folderPath));
    QCOMPARE(folder.open(), 0);
    QCOMPARE(appendToRegister(folder, {QDateTime::fromString(QLatin1StringView(when), Qt::ISODate), name,
                                       right, 2, right + 2, false, QStringLiteral("alunno")})
                 .happened,
             record::Happened::Added);
}

// The rows' names, top to bottom, as the table shows them.
QStringList shownNames(QTableView *table)
{
    QStringList names;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        names << table->model()->index(row, kNameColumn).data().toString();
    return names;
}

QProcess *runProgram(const QStringList &arguments, const QStringList &asUser = {},
                     const QString &binary = QStringLiteral(TARVIMONDA_BINARY))
{
    auto *program = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program->setProcessEnvironment(environment);
    if (asUser.isEmpty())
        program->start(binary, arguments);
    else
        program->start(QStringLiteral("runuser"), asUser + QStringList{QStringLiteral("--"), binary} + arguments);
    program->waitForFinished(30'000);
    return program;
}

// The PDF's text, in reading order; empty when it could not be read.
QString pdfText(const QString &pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30'000) || text.exitCode() != 0)
        return {};
    return QString::fromUtf8(text.readAllStandardOutput()).simplified();
}

#define NEED_PDFTOTEXT()                                                                                               \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())                                        \
    QSKIP("pdftotext (poppler-utils) is needed to read the reports' text")

} // namespace

class RegisterWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aTeachersLesson()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        addGame(folder, "2024-05-02T09:00:00", QStringLiteral("Ugo"), 12); // 12 after 7 only as a number
        addGame(folder, "2024-05-13T09:00:00", QStringLiteral("Bea"), 5);
        addGame(folder, "2024-05-14T09:00:00", QStringLiteral("bea "), 7);
        addGame(folder, "2024-05-14T10:00:00", QStringLiteral("Eva"), 6);
        RegisterWindow window(folder + QStringLiteral("/registro.csv"));
        window.setToday(kToday);
        window.show();
        auto *table = window.findChild<QTableView *>(QStringLiteral("pupilTable"));
        QTRY_COMPARE(shownNames(table), (QStringList{QStringLiteral("Bea"), QStringLiteral("Eva"), QStringLiteral("Ugo")}));

        // Sorted by best score, from the highest, with the keyboard.
        auto *sort = window.findChild<QComboBox *>(QStringLiteral("sortChoice"));
        sort->setFocus();
        QTest::keyClick(sort, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(sort->view()->isVisible());
        for (int i = sort->currentIndex(); i < kBestColumn; ++i)
            QTest::keyClick(sort->view(), Qt::Key_Down);
        QTest::keyClick(sort->view(), Qt::Key_Return);
        QCOMPARE(shownNames(table), (QStringList{QStringLiteral("Ugo"), QStringLiteral("Bea"), QStringLiteral("Eva")}));

        // This week: Ugo's game of the 2nd is gone from every figure.
        auto *period = window.findChild<QComboBox *>(QStringLiteral("periodChoice"));
        period->setCurrentIndex(period->findText(QStringLiteral("Questa settimana")));
        QCOMPARE(shownNames(table), (QStringList{QStringLiteral("Bea"), QStringLiteral("Eva")}));
        QCOMPARE(window.summary().games, 3);

        // A pupil selected: the chart is hers; Escape goes back to the class.
        auto *chart = window.findChild<ProgressChart *>(QStringLiteral("progressChart"));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Home);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(chart->accessibleName(), QStringLiteral("Punteggio di Bea, partita per partita"));
        QVERIFY(chart->accessibleDescription().contains(QStringLiteral("partita 2 del 14/05/2024 09:00: 7")));
        QCOMPARE(chart->chart()->series().size(), 2); // the scores and the record
        QTest::keyClick(table, Qt::Key_Escape);
        QCOMPARE(chart->accessibleName(), QStringLiteral("Media della classe, giorno per giorno"));

        // Each row reads as one sentence where a screen reader enters it.
        QAccessibleInterface *access = QAccessible::queryAccessibleInterface(table);
        QVERIFY(access && access->tableInterface());
        QCOMPARE(access->tableInterface()->cellAt(0, 0)->text(QAccessible::Name),
                 QStringLiteral("Bea: 2 partite, record 7, media 6,0, 75 % di risposte esatte, ultima partita il 14/05/2024 "
                                "alle 09:00, in crescita di 2,0 punti, scritto anche «bea »"));

        // A game ends during the lesson: the table shows it within a second.
        addGame(folder, "2024-05-15T11:00:00", QStringLiteral("Leo"), 4);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 3, 1000);

        // The search box filters the names, variants included.
        auto *search = window.findChild<QLineEdit *>(QStringLiteral("searchBox"));
        QTest::keyClicks(search, QStringLiteral("BEA "));
        QCOMPARE(shownNames(table), QStringList{QStringLiteral("Bea")});

        // The report holds the period, the search typed, each row shown,
        // the chart and the page's number.
        NEED_PDFTOTEXT();
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QVERIFY(!writeReportPdf(pdf, classReportDocument(window.reportContent(), kToday)));
        QString words = pdfText(pdf);
        QVERIFY2(words.contains(QStringLiteral("«BEA »")) && !words.contains(QStringLiteral("Leo")), qPrintable(words));
        search->clear();
        QVERIFY(!writeReportPdf(pdf, classReportDocument(window.reportContent(), kToday)));
        words = pdfText(pdf);
        for (const char *expected : {"Periodo: questa settimana (dal 13/05/2024 al 19/05/2024)",
                                     "Bea alunno 2 14/05/2024 09:00 7 6,0 75 % +2,0 «bea »", "Eva alunno 1 14/05/2024 10:00 6 6,0 75 % –",
                                     "Leo alunno 1 15/05/2024 11:00 4 4,0 67 % –", "Media della classe, giorno per giorno",
                                     "Pagina 1 di 1"})
            QVERIFY2(words.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + QStringLiteral(" not in: ") + words));
    }

    // Dal and al take a day typed as teachers write it, and show it as
    // DD/MM/YYYY.
    void typedDays()
    {
        QTemporaryDir dir;
        addGame(dir.path(), "2024-02-29T09:00:00", QStringLiteral("Ugo"), 3);
        addGame(dir.path(), "2024-05-02T09:00:00", QStringLiteral("Ugo"), 12);
        addGame(dir.path(), "2024-05-13T09:00:00", QStringLiteral("Bea"), 5);
        RegisterWindow window(dir.filePath(QStringLiteral("registro.csv")));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(window.summary().games, 3);
        auto *period = window.findChild<QComboBox *>(QStringLiteral("periodChoice"));
        period->setCurrentIndex(period->findText(QStringLiteral("Dal giorno al giorno scelti")));
        auto *from = window.findChild<QDateEdit *>(QStringLiteral("fromDate"));
        auto *to = window.findChild<QDateEdit *>(QStringLiteral("toDate"));
        const auto type = [](QDateEdit *box, const char *text) {
            box->clearFocus();
            box->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(box, QLatin1StringView(text));
        };
        type(to, "2/5/2024");
        type(from, "29/02/2024"); // a day the year shown before lacks
        QCOMPARE(from->date(), QDate(2024, 2, 29));
        QCOMPARE(to->date(), QDate(2024, 5, 2));
        QCOMPARE(window.summary().games, 2);
        type(to, "13/05/2024");
        QCOMPARE(to->text(), QStringLiteral("13/05/2024"));
        QCOMPARE(window.summary().games, 3);
        type(from, "01/03/2024");
        QCOMPARE(window.summary().games, 2);
        type(from, "05/2"); // the year left as it is
        QCOMPARE(from->date(), QDate(2024, 2, 5));
    }

    // The count of lines not read opens their list, from the keyboard too.
    void unreadLinesAreListed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registro.csv"));
        writeBytes(path, registerHeader() + "2024-05-13;10:00:00;Bea;1;1;2;no\r\n2024-13-01;10:00:00;Bea;1;1;2;no\r\nx\r\n");
        RegisterWindow window(path);
        window.show();
        auto *count = window.findChild<QPushButton *>(QStringLiteral("unreadLinesButton"));
        QTRY_VERIFY(count->isVisible());
        QCOMPARE(count->text(), unreadLinesText(2));
        count->setFocus();
        QTest::keyClick(count, Qt::Key_Space);
        auto *list = window.findChild<QTableWidget *>(QStringLiteral("unreadLinesList"));
        QVERIFY(list);
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(list->item(0, 0)->text(), QStringLiteral("3"));
        QCOMPARE(list->item(1, 0)->text(), QStringLiteral("4"));
        QCOMPARE(list->item(0, 1)->text(), unreadReasonText(UnreadReason::Date));
        QCOMPARE(list->item(1, 1)->text(), unreadReasonText(UnreadReason::FieldCount));
    }

    // No games: a sentence, no axes. A summer without games breaks the
    // line; days are labelled on their midnight, with the year.
    void theChartTellsTheTruth()
    {
        QTemporaryDir dir;
        RegisterWindow window(dir.filePath(QStringLiteral("registro.csv")));
        window.setToday(QDate(2026, 1, 10));
        QChart *chart = window.findChild<ProgressChart *>(QStringLiteral("progressChart"))->chart();
        QVERIFY(chart->series().isEmpty() && chart->axes().isEmpty() && !chart->title().isEmpty());
        for (const char *when : {"2025-06-03T09:00:00", "2025-06-05T09:00:00", "2025-09-15T09:00:00", "2025-09-16T09:00:00"})
            addGame(dir.path(), when, QStringLiteral("Bea"), 5);
        QTRY_COMPARE(window.summary().games, 4);
        auto *days = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
        QVERIFY(days && days->count() > 2);
        for (const QString &label : days->categoriesLabels())
            QCOMPARE(double(QDate::fromString(label, QStringLiteral("dd/MM/yyyy")).toJulianDay()), days->endValue(label));
        int lines = 0;
        for (QAbstractSeries *series : chart->series()) {
            const auto *line = qobject_cast<QLineSeries *>(series);
            if (line->pen().style() == Qt::DashLine)
                continue; // the record
            ++lines;
            for (qsizetype i = 1; i < line->count(); ++i)
                QVERIFY(line->at(i).x() - line->at(i - 1).x() < 7);
        }
        QCOMPARE(lines, 2);
    }

    // One pupil's report, from the window or a script, names no one else;
    // a name the register lacks writes nothing.
    void aPupilsReportNamesNoOneElse()
    {
        NEED_PDFTOTEXT();
        QTemporaryDir dir;
        addGame(dir.path(), "2024-05-13T09:00:00", QStringLiteral("Bea"), 5);
        addGame(dir.path(), "2024-05-13T10:00:00", QStringLiteral("Ugo"), 9);
        addGame(dir.path(), "2024-05-14T09:00:00", QStringLiteral("bea "), 7);
        addGame(dir.path(), "2024-05-14T10:00:00", QStringLiteral("Eva"), 6);
        const QString file = dir.filePath(QStringLiteral("registro.csv")), pdf = dir.filePath(QStringLiteral("bea.pdf"));
        std::unique_ptr<QProcess> program(runProgram({QStringLiteral("--register"), file, QStringLiteral("--export-pdf"), pdf,
                                                      QStringLiteral("--pupil"), QStringLiteral("BEA")}));
        QCOMPARE(program->exitCode(), 0);

        RegisterWindow window(file);
        window.setToday(kToday);
        window.show();
        auto *table = window.findChild<QTableView *>(QStringLiteral("pupilTable"));
        QTRY_COMPARE(shownNames(table).value(0), QStringLiteral("Bea"));
        table->selectRow(0);
        const QString fromWindow = dir.filePath(QStringLiteral("scheda.pdf"));
        QTimer::singleShot(0, &window, [&] {
            auto *dialog = window.findChild<QFileDialog *>(QStringLiteral("saveDialog"));
            dialog->selectFile(fromWindow);
            static_cast<QDialog *>(dialog)->accept();
        });
        window.findChild<QAction *>(QStringLiteral("actionExportPupilPdf"))->trigger();
        for (const QString &made : {pdf, fromWindow}) {
            const QString words = pdfText(made);
            QVERIFY2(words.contains(QStringLiteral("Scheda di Bea")) && words.contains(QStringLiteral("14/05/2024"))
                         && !words.contains(QStringLiteral("Ugo")) && !words.contains(QStringLiteral("Eva")),
                     qPrintable(words));
        }

        const QString none = dir.filePath(QStringLiteral("zoe.pdf"));
        program.reset(runProgram({QStringLiteral("--register"), file, QStringLiteral("--export-pdf"), none,
                                  QStringLiteral("--pupil"), QStringLiteral("Zoe")}));
        QVERIFY(program->exitCode() != 0);
        QVERIFY(!QFile::exists(none));
        QVERIFY(!program->readAllStandardError().isEmpty());
    }

    // Controls are named, and the report's keys are the usual ones.
    void namesAndKeys()
    {
        RegisterWindow window(QStringLiteral("/nowhere/registro.csv"), QStringLiteral("Acceso?"));
        for (QWidget *widget : window.findChildren<QWidget *>())
            if (widget->focusPolicy() != Qt::NoFocus && !widget->objectName().startsWith(QStringLiteral("qt_")))
                QVERIFY2(!widget->objectName().isEmpty(), qPrintable(QStringLiteral("%1 in %2").arg(QLatin1StringView(widget->metaObject()->className()), widget->parent()->objectName())));
        const auto keys = [&window](const char *action) {
            return window.findChild<QAction *>(QLatin1StringView(action))->shortcut().toString();
        };
        QCOMPARE(keys("actionPrint"), QStringLiteral("Ctrl+P"));
        QCOMPARE(keys("actionExportPdf"), QStringLiteral("Ctrl+E"));
        QCOMPARE(keys("actionExportCsv"), QStringLiteral("Ctrl+Shift+E"));
        auto *status = window.findChild<QLabel *>(QStringLiteral("statusLabel"));
        QTRY_VERIFY(status->text().startsWith(registerProblemText(kMissing, QStringLiteral("/nowhere/registro.csv"))
                                              + QStringLiteral(" Acceso?")));
    }

    // A teacher's script, with no display: the report and the table are
    // written, or the reason is said and the status is not 0.
    void theProgramWritesTheReportWithoutADisplay()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        addGame(folder, "2024-05-13T09:00:00", QStringLiteral("=Bea"), 5);
        const QString file = folder + QStringLiteral("/registro.csv");
        const QString pdf = dir.filePath(QStringLiteral("r.pdf")), csv = dir.filePath(QStringLiteral("r.csv"));
        std::unique_ptr<QProcess> program(runProgram({QStringLiteral("--register"), file, QStringLiteral("--export-pdf"), pdf,
                                                      QStringLiteral("--export-csv"), csv}));
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(bytesOf(pdf).startsWith("%PDF"));
        QVERIFY(bytesOf(csv).contains("\r\n'=Bea;1;2024-05-13 09:00:00;5;5,0;71,4;;\r\n"));

        program.reset(runProgram({QStringLiteral("--register"), dir.filePath(QStringLiteral("none.csv")), QStringLiteral("--export-csv"), csv}));
        QCOMPARE(program->exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(program->readAllStandardError()),
                 QStringLiteral("tarvimonda: %1\n").arg(registerProblemText(kMissing, dir.filePath(QStringLiteral("none.csv")))));

        // A register of group games that a teacher outside it may not read.
        if (::geteuid() != 0)
            QSKIP("needs root, to read as another account");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
        QVERIFY(::chown(QFile::encodeName(file).constData(), 0, 60) == 0 && ::chmod(QFile::encodeName(file).constData(), 0640) == 0);
        // The build tree may be where nobody can enter (a 0700 home): the
        // programs are copied where every account may run them.
        QTemporaryDir reachable;
        QVERIFY(QFile::setPermissions(reachable.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                            | QFile::ReadOther | QFile::ExeOther));
        const QString built = QFileInfo(QStringLiteral(TARVIMONDA_BINARY)).path();
        for (const char *name : {"tarvimonda", "tarvimonda-register"})
            QVERIFY(QFile::copy(built + u'/' + QLatin1String(name), reachable.filePath(QLatin1String(name))));
        const QString game = reachable.filePath(QStringLiteral("tarvimonda"));
        if (QProcess::execute(QStringLiteral("runuser"), {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                                                         QStringLiteral("test"), QStringLiteral("-x"), game}) != 0)
            QSKIP("the account nobody cannot run programs from the system's temporary folder");
        program.reset(runProgram({QStringLiteral("--register"), file, QStringLiteral("--export-csv"), QStringLiteral("/dev/null")},
                                 {QStringLiteral("-u"), QStringLiteral("nobody")}, game));
        QCOMPARE(program->exitCode(), 1);
        const QString said = QString::fromLocal8Bit(program->readAllStandardError());
        // Told it may not read it, and never told to join the keeper's group.
        QVERIFY2(said.contains(QStringLiteral("Non hai il permesso di leggere il registro")) && !said.contains(QStringLiteral("usermod")),
                 qPrintable(said));
    }
};

QTEST_MAIN(RegisterWindowTest)
#include "test_register_window.moc"
