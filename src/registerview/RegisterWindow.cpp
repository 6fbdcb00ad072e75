#include "registerview/RegisterWindow.h"

#include "registerview/DayEdit.h"
#include "registerview/ProgressChart.h"
#include "registerview/PupilColumns.h"
#include "registerview/RegisterMessages.h"
#include "registerview/UnreadLinesDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>

namespace {

// The window's commands: menu entry, keys and, where it has one, a button.
struct ActionEntry
{
    const char *name;
    const char *text;
    const char *keys;
    void (RegisterWindow::*handler)();
    const char *button; // its button's objectName, or none
};
const ActionEntry kActions[] = {
    {"actionOpen", "&Apri un altro registro…", "Ctrl+O", &RegisterWindow::chooseFile, "openButton"},
    {"actionExportPdf", "Esporta &PDF…", "Ctrl+E", &RegisterWindow::exportPdf, "exportPdfButton"},
    {"actionExportPupilPdf", "Sc&heda dell'alunno in PDF…", "Ctrl+Shift+P", &RegisterWindow::exportPupilPdf,
     "exportPupilPdfButton"},
    {"actionPrint", "&Stampa…", "Ctrl+P", &RegisterWindow::print, "printButton"},
    {"actionExportCsv", "Esporta &CSV…", "Ctrl+Shift+E", &RegisterWindow::exportCsv, "exportCsvButton"},
    {"actionClose", "&Chiudi", "Ctrl+W", nullptr, nullptr},
};

struct PeriodSpec
{
    const char *text;
    Period::Kind kind;
};
const PeriodSpec kPeriods[] = {
    {"Tutto il registro", Period::Kind::Everything}, {"Oggi", Period::Kind::Today},
    {"Questa settimana", Period::Kind::ThisWeek},   {"Questo mese", Period::Kind::ThisMonth},
    {"Dal giorno al giorno scelti", Period::Kind::Range},
};

// Names sort from A, figures from the highest, the last game from the newest.
Qt::SortOrder naturalOrder(int column) { return pupilColumns()[column].sortKey ? Qt::DescendingOrder : Qt::AscendingOrder; }

template <class Widget>
Widget *named(Widget *widget, const char *name, const QString &accessibleName = {})
{
    widget->setObjectName(QLatin1StringView(name));
    if (!accessibleName.isEmpty())
        widget->setAccessibleName(accessibleName);
    return widget;
}

QLabel *labelFor(QWidget *buddy, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(buddy->objectName() + QStringLiteral("Label"));
    label->setBuddy(buddy);
    return label;
}

} // namespace

RegisterWindow::RegisterWindow(const QString &path, QString missingHint, QWidget *parent)
    : QMainWindow(parent)
    , m_missingHint(std::move(missingHint))
{
    setObjectName(QStringLiteral("registerWindow"));
    m_proxy.setSourceModel(&m_model);
    m_proxy.setSortRole(PupilTableModel::kSortRole);
    m_proxy.setFilterRole(PupilTableModel::kSearchRole);
    m_proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    buildControls();
    connect(&m_feed, &RegisterFeed::changed, this, &RegisterWindow::refresh);
    connect(&m_feed, &RegisterFeed::readingChanged, this, &RegisterWindow::showStatus);
    resize(1000, 720);
    openFile(path);
}

void RegisterWindow::buildControls()
{
    m_source = named(new QLabel, "sourceLabel");
    m_source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_periodChoice = named(new QComboBox, "periodChoice", QStringLiteral("Periodo"));
    for (const PeriodSpec &period : kPeriods)
        m_periodChoice->addItem(QString::fromUtf8(period.text));
    m_from = named(new DayEdit(QDate::currentDate().addDays(-6)), "fromDate", QStringLiteral("Dal giorno"));
    m_to = named(new DayEdit(QDate::currentDate()), "toDate", QStringLiteral("Al giorno"));
    for (QDateEdit *edit : {m_from, m_to}) {
        edit->setEnabled(false);
        connect(edit, &QDateEdit::dateChanged, this, &RegisterWindow::periodChosen);
    }
    m_search = named(new QLineEdit, "searchBox", QStringLiteral("Cerca un alunno"));
    m_search->setPlaceholderText(QStringLiteral("nome dell'alunno"));
    m_search->setClearButtonEnabled(true);
    m_sortChoice = named(new QComboBox, "sortChoice", QStringLiteral("Ordina per"));
    for (int column = 0; column < int(pupilColumns().size()); ++column)
        m_sortChoice->addItem(QString::fromUtf8(pupilColumns()[column].header)
                              + (naturalOrder(column) == Qt::DescendingOrder ? QStringLiteral(" (dal più alto)") : QString()));

    m_table = named(new QTableView, "pupilTable", QStringLiteral("Alunni"));
    m_table->setModel(&m_proxy);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false); // Tab leaves the table; arrows move in it
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(kNameColumn, Qt::AscendingOrder);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setAlternatingRowColors(true);
    m_chart = new ProgressChart;

    auto *top = new QHBoxLayout;
    top->addWidget(m_source, 1);
    auto *filters = new QHBoxLayout;
    const std::pair<QWidget *, QString> labelled[] = {
        {m_periodChoice, QStringLiteral("&Periodo:")}, {m_from, QStringLiteral("&Dal:")}, {m_to, QStringLiteral("a&l:")},
        {m_search, QStringLiteral("&Cerca:")}, {m_sortChoice, QStringLiteral("&Ordina per:")}};
    for (const auto &[widget, text] : labelled) {
        filters->addWidget(labelFor(widget, text));
        filters->addWidget(widget, widget == m_search ? 1 : 0);
    }
    auto *splitter = named(new QSplitter(Qt::Vertical), "tableAndChart");
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    m_status = named(new QLabel, "statusLabel");
    m_status->setWordWrap(true);
    // The count of lines not read opens their list, by mouse or keyboard.
    m_unread = named(new QPushButton, "unreadLinesButton");
    m_unread->hide();
    connect(m_unread, &QPushButton::clicked, this, [this] {
        showUnreadLines(this, m_feed.data().unreadable, m_feed.data().unreadLines);
    });
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_unread);
    buildCommands(top, bottom);
    auto *central = named(new QWidget, "registerArea");
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);
    setCentralWidget(central);

    connect(m_periodChoice, &QComboBox::currentIndexChanged, this, &RegisterWindow::periodChosen);
    connect(m_search, &QLineEdit::textChanged, &m_proxy, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_sortChoice, &QComboBox::currentIndexChanged, this, &RegisterWindow::sortChosen);
    connect(m_table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int column) {
        const QSignalBlocker quiet(m_sortChoice);
        m_sortChoice->setCurrentIndex(column);
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &RegisterWindow::showChart);
    // Escape in the table goes back to the whole class's chart.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_table, [this] { m_table->clearSelection(); },
                                 Qt::WidgetShortcut);
    escape->setObjectName(QStringLiteral("classChartShortcut"));
    auto *find = new QShortcut(QKeySequence::Find, this, [this] { m_search->setFocus(); });
    find->setObjectName(QStringLiteral("findShortcut"));
}

void RegisterWindow::buildCommands(QBoxLayout *top, QBoxLayout *bottom)
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("&Registro"));
    menu->setObjectName(QStringLiteral("registerMenu"));
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    for (const ActionEntry &entry : kActions) {
        QAction *action = menu->addAction(QString::fromUtf8(entry.text));
        action->setObjectName(QLatin1StringView(entry.name));
        action->setShortcut(QKeySequence(QLatin1StringView(entry.keys)));
        if (entry.handler == &RegisterWindow::exportPupilPdf) {
            m_pupilAction = action;
            action->setEnabled(false); // until a pupil is selected
        }
        if (entry.handler)
            connect(action, &QAction::triggered, this, entry.handler);
        else
            connect(action, &QAction::triggered, this, &QWidget::close);
        if (!entry.button)
            continue;
        auto *button = named(new QPushButton(action->text().remove(u'&')), entry.button);
        button->setToolTip(action->shortcut().toString(QKeySequence::NativeText));
        button->setEnabled(action->isEnabled());
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
        (entry.handler == &RegisterWindow::chooseFile ? top : bottom)->addWidget(button);
    }
}

void RegisterWindow::openFile(const QString &path)
{
    m_source->setText(QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(path)));
    setWindowTitle(QStringLiteral("Registro di Tarvimonda – %1").arg(QFileInfo(path).fileName()));
    m_done.clear();
    m_feed.open(path);
}

void RegisterWindow::setToday(const QDate &today)
{
    m_today = today;
    refresh();
}

void RegisterWindow::periodChosen()
{
    const Period::Kind kind = kPeriods[qMax(0, m_periodChoice->currentIndex())].kind;
    m_from->setEnabled(kind == Period::Kind::Range);
    m_to->setEnabled(kind == Period::Kind::Range);
    m_period = {kind, m_from->date(), m_to->date()};
    refresh();
}

void RegisterWindow::sortChosen()
{
    const int column = m_sortChoice->currentIndex();
    m_table->sortByColumn(column, naturalOrder(column));
}

QDate RegisterWindow::today() const { return m_today.isValid() ? m_today : QDate::currentDate(); }

void RegisterWindow::refresh()
{
    const RegisterData &data = m_feed.data();
    m_summary = summarize(data.games, data.names, m_period, today(), data.accounts);
    m_model.setPupils(m_summary.pupils);
    showChart();
    showStatus();
}

QString RegisterWindow::selectedKey() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.front().data(PupilTableModel::kKeyRole).toString();
}

void RegisterWindow::showChart()
{
    const QString key = selectedKey();
    const QString period = m_period.describe(today());
    m_chartData = classChart(m_summary, period);
    bool selected = false;
    for (const PupilSummary &pupil : m_summary.pupils) {
        if (!key.isEmpty() && pupil.key == key) {
            m_chartData = pupilChart(pupil, pupilGames(m_feed.data().games, m_feed.data().names, key, m_period, today()),
                                     period);
            selected = true;
        }
    }
    m_pupilAction->setEnabled(selected);
    m_chart->showData(m_chartData, today());
}

void RegisterWindow::showStatus()
{
    const ReadProblem &problem = m_feed.problem();
    QString text = registerProblemText(problem, m_feed.path());
    if (problem.kind == ReadProblem::Kind::Missing && !m_missingHint.isEmpty())
        text += u' ' + m_missingHint;
    if (problem.kind == ReadProblem::Kind::None)
        text = QStringLiteral("%1 %2 e %3 %4 (%5).")
                   .arg(m_summary.pupils.size())
                   .arg(m_summary.pupils.size() == 1 ? QStringLiteral("alunno") : QStringLiteral("alunni"))
                   .arg(m_summary.games)
                   .arg(m_summary.games == 1 ? QStringLiteral("partita") : QStringLiteral("partite"), m_period.describe(today()));
    const int lost = m_feed.data().unreadable;
    m_unread->setText(unreadLinesText(lost));
    m_unread->setVisible(lost > 0);
    if (m_feed.isReading())
        text += QStringLiteral(" Sto leggendo il registro…");
    if (!m_done.isEmpty())
        text += u' ' + m_done;
    m_status->setText(text);
}
