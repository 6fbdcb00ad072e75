// The register window as a teacher uses it, with the keyboard: sorting, a
// period, a search, a pupil's chart, what a screen reader reads, a game that
// ends meanwhile; the report as PDF; and the program writing it with no
// display at all.
#include "FileBytes.h"

#include "record/RecordFolder.h"
#include "record/Register.h"
#include "registerview/ProgressChart.h"
#include "registerview/PupilColumns.h"
#include "registerview/RegisterWindow.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
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

        // The report holds the period, each row shown and the chart.
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        search->clear();
        QVERIFY(!writeReportPdf(pdf, window.reportContent()));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(text.waitForFinished(30'000) && text.exitCode() == 0, "pdftotext (poppler-utils) is needed");
        const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char *expected : {"Periodo: questa settimana (dal 13/05/2024 al 19/05/2024)",
                                     "Bea alunno 2 14/05/2024 09:00 7 6,0 75 % +2,0 «bea »", "Eva alunno 1 14/05/2024 10:00 6 6,0 75 % –",
                                     "Leo alunno 1 15/05/2024 11:00 4 4,0 67 % –", "Media della classe, giorno per giorno"})
            QVERIFY2(words.contains(QString::fromUtf8(expected)), qPrintable(QString::fromUtf8(expected) + QStringLiteral(" not in: ") + words));
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
        QTRY_VERIFY(status->text().startsWith(missingRegisterMessage(QStringLiteral("/nowhere/registro.csv")) + QStringLiteral(" Acceso?")));
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
                 QStringLiteral("tarvimonda: %1\n").arg(missingRegisterMessage(dir.filePath(QStringLiteral("none.csv")))));

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
