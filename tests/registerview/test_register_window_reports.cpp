// What the register window shows and hands out: the chart, the reports,
// a pupil's sheet.
#include "RegisterWindowTesting.h"
#include "TestClasses.h"

class RegisterReportsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

TestClass reportsTest() { return testClass<RegisterReportsTest>(); }

#include "test_register_window_reports.moc"
