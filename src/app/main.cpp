#include "startup/ClassroomSettings.h"
#include "startup/CommandLine.h"
#include "startup/ConfigurationMessages.h"
#include "startup/ProcessContext.h"
#include "app/StartupTimes.h"
#include "startup/SystemErrors.h"
#include "app/Tavola.h"
#include "app/TeacherCheck.h"
#include "startup/Translations.h"
#include "startup/Version.h"
#include "settings/Configuration.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace {

void print(std::FILE *stream, const QString &text) { std::fputs(text.toLocal8Bit().constData(), stream); }

// Without any display the toolkit would abort with its own English words.
bool displayReachable(const CommandLine &line)
{
    return !line.platform.isEmpty() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
           || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The register window is a program of its own: it alone loads the charts'
// and printing's libraries. It gets the same arguments, exit status and
// output.
int openRegister(char *argv[])
{
    const QString program = registerProgram();
    ::execv(QFile::encodeName(program).constData(), argv);
    const int error = errno;
    print(stderr, QStringLiteral("tarvimonda: non riesco ad aprire il registro (%1): %2.\n").arg(program, errorReason(error)));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    settleProcessContext();
    markStartupStep("main");
    // Read before QApplication exists: a wrong option is told in one line,
    // with or without a display.
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version: print(stdout, line.text); return 0;
    case CommandLine::Action::Error: print(stderr, line.text); return 2;
    case CommandLine::Action::Register: return openRegister(argv);
    case CommandLine::Action::Check: {
        const CheckReport report = teacherCheck(line, readConfiguration());
        print(stdout, report.text);
        return report.status;
    }
    case CommandLine::Action::Play: break;
    }
    if (!displayReachable(line)) {
        print(stderr, QStringLiteral("tarvimonda: non trovo lo schermo (DISPLAY non è impostata): "
                                     "avviare il gioco da una sessione grafica.\n"));
        return 1;
    }

    QCoreApplication::setApplicationName(QStringLiteral("tarvimonda"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIMONDA_VERSION));
    QApplication app(argc, argv);
    markStartupStep("qapplication");
    if (!installQtItalianWhenAsked(app))
        print(stderr, QStringLiteral("tarvimonda: mancano le traduzioni italiane di Qt (pacchetto "
                                     "qt6-translations-l10n): alcuni menu saranno in inglese.\n"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tarvimonda"));
    // The game ends only through its own steps (exit, countdown, close box).
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    reportStartupTimesWhenAsked();

    const Configuration configuration = readConfiguration();
    if (!configuration.problems.isEmpty()) {
        // The teacher who tries the game sees it, and so does whoever runs
        // it from a terminal.
        const QString text = QStringLiteral("Nel file di configurazione:\n") + problemTexts(configuration).join(u'\n');
        print(stderr, QStringLiteral("tarvimonda: %1\n").arg(text));
        QtDialogs().messageBox(text, kAppTitle, Dialogs::Icon::Warning);
    }
    Tavola tavola({}, classroomSettings(line, configuration));
    tavola.showTavola();
    return QApplication::exec();
}
