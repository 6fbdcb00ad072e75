#include "registerview/RegisterProgram.h"

#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/Translations.h"
#include "record/RecordNames.h"

#include <QDir>
#include <QFile>
#include "registerview/ChartData.h"
#include "registerview/RegisterMessages.h"
#include "registerview/RegisterWindow.h"
#include "registerview/SummaryCsv.h"
#include "settings/Configuration.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>

namespace {

void say(const QString &text) { std::fputs(QStringLiteral("tarvimonda: %1\n").arg(text).toLocal8Bit().constData(), stderr); }

// The whole register, its pupils by name, the class's chart: what a
// teacher's script gets. With a pupil's name, that pupil's report alone.
int exportReport(const CommandLine &line, const QString &path)
{
    const RegisterRead read = readRegister(path);
    if (!read.ok()) {
        say(registerProblemText(read.problem, path));
        return 1;
    }
    RegisterData data;
    data.apply(read);
    const QDate today = QDate::currentDate();
    const Period everything;
    if (data.unreadable > 0)
        say(QStringLiteral("registro %1: %2.").arg(path, unreadLinesText(data.unreadable)));
    if (!line.pupil.isEmpty()) {
        const auto content = pupilReportContent(data, pupilKey(line.pupil), everything, today);
        if (!content) {
            say(unknownPupilText(line.pupil, path));
            return 1;
        }
        if (const auto error = writeReportPdf(line.exportPdf, pupilReportDocument(*content, today))) {
            say(cannotWriteText(line.exportPdf, *error));
            return 1;
        }
        return 0;
    }
    ClassSummary summary = summarize(data.games, data.names, everything, today, data.accounts);
    std::sort(summary.pupils.begin(), summary.pupils.end(), [](const PupilSummary &a, const PupilSummary &b) {
        return QString::localeAwareCompare(a.key, b.key) < 0;
    });
    const ReportContent content{path, everything.describe(today), {}, data.unreadable, summary.pupils,
                                classChart(summary, everything.describe(today))};
    std::optional<int> error;
    QString failed = line.exportPdf;
    if (!line.exportPdf.isEmpty())
        error = writeReportPdf(line.exportPdf, classReportDocument(content, today));
    if (!error && !line.exportCsv.isEmpty()) {
        failed = line.exportCsv;
        error = writeWholeFile(line.exportCsv, summaryCsv(summary.pupils));
    }
    if (error) {
        say(cannotWriteText(failed, *error));
        return 1;
    }
    return 0;
}

} // namespace

QString defaultRegisterFile(const CommandLine &line, const Configuration &configuration)
{
    const QByteArray folder = recordFolderOf(classroomSettings(line, configuration)).path;
    return QFile::decodeName(folder + '/' + kRegisterFileName);
}

int runRegister(const CommandLine &line, int &argc, char **argv)
{
    const bool exporting = !line.exportPdf.isEmpty() || !line.exportCsv.isEmpty();
    // A teacher's script has no display: the report is drawn off screen,
    // and the toolkit's own English notes stay out of its error output.
    if (exporting) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    }
    else if (line.platform.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
             && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        say(QStringLiteral("non trovo lo schermo (DISPLAY non è impostata): aprire il registro da una sessione "
                           "grafica, o scrivere il report con --export-pdf o --export-csv."));
        return 1;
    }
    const Configuration configuration = readConfiguration();
    const QString path = line.registerFile.isEmpty() ? defaultRegisterFile(line, configuration) : line.registerFile;
    QCoreApplication::setApplicationName(QStringLiteral("tarvimonda"));
    QApplication app(argc, argv);
    installQtItalian(app);
    installFontSubstitutes();
    if (exporting)
        return exportReport(line, path);

    QApplication::setWindowIcon(pictureIcon(Picture::WindowIcon));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tarvimonda.register"));
    QString hint;
    if (line.registerFile.isEmpty() && !configuration.registerEnabled)
        hint = QStringLiteral("Il registro delle partite non è acceso: si accende con «[Register]» ed "
                              "«Enabled=true» nel file di configurazione (vedi il manuale per gli insegnanti).");
    RegisterWindow window(path, hint);
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
