// The window's report commands: open another register, export, print.
#include "registerview/RegisterWindow.h"

#include "registerview/PupilColumns.h"
#include "registerview/RegisterMessages.h"
#include "registerview/SummaryCsv.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString kTitle = QStringLiteral("Registro di Tarvimonda");

// Gives the window the keyboard back when a dialog closes: without a window
// manager to do it, Ctrl+P or Ctrl+E would reach nothing afterwards.
struct FocusBack
{
    QWidget *window;
    ~FocusBack() { window->activateWindow(); }
};

QString startFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// Written where the teacher chose, or told why not.
std::optional<QString> written(const QString &path, std::optional<int> error)
{
    return error ? std::optional(cannotWriteText(path, *error)) : std::nullopt;
}

} // namespace

ReportContent RegisterWindow::reportContent() const
{
    ReportContent content{m_feed.path(), m_period.describe(today()), m_search->text(), m_feed.data().unreadable, {}, m_chartData};
    for (int row = 0; row < m_proxy.rowCount(); ++row)
        content.pupils.append(m_model.pupils()[m_proxy.mapToSource(m_proxy.index(row, 0)).row()]);
    return content;
}

void RegisterWindow::chooseFile()
{
    const FocusBack focusBack{this};
    QFileDialog dialog(this, QStringLiteral("Apri un registro"), QFileInfo(m_feed.path()).absolutePath(),
                       QStringLiteral("Registri (*.csv);;Tutti i file (*)"));
    dialog.setObjectName(QStringLiteral("openDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        openFile(dialog.selectedFiles().front());
}

QString RegisterWindow::savePath(const QString &title, const QString &suffix, const QString &filter, const QString &name)
{
    const FocusBack focusBack{this};
    QFileDialog dialog(this, title, startFolder(), filter);
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(QStringLiteral("%1-%2.%3").arg(name, today().toString(Qt::ISODate), suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void RegisterWindow::tell(const std::optional<QString> &failure, const QString &done)
{
    if (failure) {
        const FocusBack focusBack{this};
        QMessageBox box(QMessageBox::Warning, kTitle, *failure, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("messageBox"));
        box.exec();
        return;
    }
    m_done = done;
    showStatus();
}

void RegisterWindow::exportPdf()
{
    const QString path = savePath(QStringLiteral("Esporta il report in PDF"), QStringLiteral("pdf"),
                                  QStringLiteral("Documenti PDF (*.pdf)"), QStringLiteral("registro"));
    if (!path.isEmpty())
        tell(written(path, writeReportPdf(path, classReportDocument(reportContent(), today()))),
             QStringLiteral("Report salvato in %1.").arg(QDir::toNativeSeparators(path)));
}

void RegisterWindow::exportPupilPdf()
{
    const auto content = pupilReportContent(m_feed.data(), selectedKey(), m_period, today());
    if (!content)
        return; // the selection went with the last read
    // A file name with what the name holds that a file system takes.
    QString name = shownName(content->pupil.name).simplified();
    name.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|]+)")), QStringLiteral("-"));
    const QString path = savePath(QStringLiteral("Esporta la scheda di %1 in PDF").arg(shownName(content->pupil.name)),
                                  QStringLiteral("pdf"), QStringLiteral("Documenti PDF (*.pdf)"),
                                  QStringLiteral("scheda-%1").arg(name));
    if (!path.isEmpty())
        tell(written(path, writeReportPdf(path, pupilReportDocument(*content, today()))),
             QStringLiteral("Scheda salvata in %1.").arg(QDir::toNativeSeparators(path)));
}

void RegisterWindow::exportCsv()
{
    const QString path = savePath(QStringLiteral("Esporta la tabella in CSV"), QStringLiteral("csv"),
                                  QStringLiteral("Fogli di calcolo CSV (*.csv)"), QStringLiteral("registro"));
    if (!path.isEmpty())
        tell(written(path, writeWholeFile(path, summaryCsv(reportContent().pupils))),
             QStringLiteral("Tabella salvata in %1.").arg(QDir::toNativeSeparators(path)));
}

void RegisterWindow::print()
{
    const FocusBack focusBack{this};
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kTitle);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("printDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    tell(paintReport(printer, classReportDocument(reportContent(), today()))
             ? std::nullopt
             : std::optional(QStringLiteral("La stampante non ha accettato il report.")),
         QStringLiteral("Report mandato alla stampante."));
}
