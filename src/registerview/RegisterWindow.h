#pragma once

#include "registerview/ClassSummary.h"
#include "registerview/PupilTableModel.h"
#include "registerview/RegisterFeed.h"
#include "registerview/Report.h"

#include <QMainWindow>
#include <QSortFilterProxyModel>

class ProgressChart;
class QBoxLayout;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The teacher's register window: one row per pupil, a period, a search box,
// a chart of the selected pupil (or of the class), and the report to export
// or print. It follows the file as games end; the reading runs beside it.
class RegisterWindow : public QMainWindow
{
    Q_OBJECT

public:
    // missingHint is added when the file is not there yet (say, that the
    // register is not turned on).
    explicit RegisterWindow(const QString &path, QString missingHint = {}, QWidget *parent = nullptr);

    // The day "today" and "this week" count from; the clock's by default.
    void setToday(const QDate &today);
    const ClassSummary &summary() const { return m_summary; }
    // What the report holds now: the rows as shown, the chart as shown, the
    // search typed.
    ReportContent reportContent() const;

    // The handlers, each a thin step over the logic.
    void openFile(const QString &path);
    void chooseFile();
    void exportPdf();
    void exportPupilPdf(); // the selected pupil's report
    void exportCsv();
    void print();

private:
    void buildControls();
    void buildCommands(QBoxLayout *top, QBoxLayout *bottom);
    void periodChosen();
    void sortChosen();
    void refresh();
    void showChart();
    void showStatus();
    QString selectedKey() const;
    QDate today() const;
    QString savePath(const QString &title, const QString &suffix, const QString &filter, const QString &name);
    void tell(const std::optional<QString> &failure, const QString &done);

    RegisterFeed m_feed;
    PupilTableModel m_model;
    QSortFilterProxyModel m_proxy;
    ClassSummary m_summary;
    Period m_period;
    QDate m_today;
    QString m_missingHint;
    ChartData m_chartData;
    QString m_done; // the last export's confirmation

    QLabel *m_source = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_unread = nullptr;
    QAction *m_pupilAction = nullptr;
    QComboBox *m_periodChoice = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QLineEdit *m_search = nullptr;
    QComboBox *m_sortChoice = nullptr;
    QTableView *m_table = nullptr;
    ProgressChart *m_chart = nullptr;
};
