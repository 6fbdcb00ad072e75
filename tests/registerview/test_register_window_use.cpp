// The register window as a teacher uses it: periods, typed days, the
// unread lines, names and keys.
#include "RegisterWindowTesting.h"
#include "TestClasses.h"

class RegisterWindowUseTest : public QObject
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
};

TestClass windowUseTest() { return testClass<RegisterWindowUseTest>(); }

#include "test_register_window_use.moc"
