// The window's report commands: open another register, export, print.
#include "registerview/RegisterWindow.h"

#include "registerview/PupilColumns.h"
#include "registerview/SummaryCsv.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
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

} // namespace

ReportContent RegisterWindow::reportContent() const
{
    ReportContent content{m_feed.path(), m_period.describe(today()), m_feed.data().unreadable, {}, m_chartData};
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

QString RegisterWindow::savePath(const QString &title, const QString &suffix, const QString &filter)
{
    const FocusBack focusBack{this};
    QFileDialog dialog(this, title, startFolder(), filter);
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(QStringLiteral("registro-%1.%2").arg(today().toString(Qt::ISODate), suffix));
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
                                  QStringLiteral("Documenti PDF (*.pdf)"));
    if (!path.isEmpty())
        tell(writeReportPdf(path, reportContent()),
             QStringLiteral("Report salvato in %1.").arg(QDir::toNativeSeparators(path)));
}

void RegisterWindow::exportCsv()
{
    const QString path = savePath(QStringLiteral("Esporta la tabella in CSV"), QStringLiteral("csv"),
                                  QStringLiteral("Fogli di calcolo CSV (*.csv)"));
    if (!path.isEmpty())
        tell(writeWholeFile(path, summaryCsv(reportContent().pupils)),
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
    tell(paintReport(printer, reportContent()) ? std::nullopt
                                               : std::optional(QStringLiteral("La stampante non ha accettato il report.")),
         QStringLiteral("Report mandato alla stampante."));
}
