#pragma once

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

// What the register window's tests share: a register written by the
// keeper's own code, the table as shown, the program run without a display,
// and a report's text.
inline const QDate kToday(2024, 5, 15);
inline const ReadProblem kMissing{ReadProblem::Kind::Missing, ENOENT, {}, {}};

inline void addGame(const QString &folderPath, const char *when, const QString &name, int right)
{
    recordio::RecordFolder folder(QFile::encodeName(folderPath));
    QCOMPARE(folder.open(), 0);
    QCOMPARE(appendToRegister(folder, {QDateTime::fromString(QLatin1StringView(when), Qt::ISODate), name,
                                       right, 2, right + 2, false, QStringLiteral("alunno")})
                 .happened,
             record::Happened::Added);
}

// The rows' names, top to bottom, as the table shows them.
inline QStringList shownNames(QTableView *table)
{
    QStringList names;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        names << table->model()->index(row, kNameColumn).data().toString();
    return names;
}

inline QProcess *runProgram(const QStringList &arguments, const QStringList &asUser = {},
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
inline QString pdfText(const QString &pdf)
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
