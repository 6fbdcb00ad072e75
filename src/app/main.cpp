#include "app/CommandLine.h"
#include "app/Configuration.h"
#include "app/StartupTimes.h"
#include "app/Tavola.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE *stream, const QString &text) { std::fputs(text.toLocal8Bit().constData(), stream); }

// The record folder: the command line first, then the teacher's
// configuration, then the per-user data folder.
ClassroomSettings settingsFrom(const CommandLine &line, const Configuration &configuration)
{
    ClassroomSettings settings;
    settings.registerEnabled = configuration.registerEnabled;
    settings.recordFolder = line.recordFolder;
    if (settings.recordFolder.isEmpty())
        settings.recordFolder = configuration.recordFolder.value_or(QString());
    settings.recordFolderChosen = !settings.recordFolder.isEmpty();
    return settings;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("tarvimonda"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIMONDA_VERSION));

    // --help and --version answer without a display.
    if (wantsTextOnly(argumentsOf(argc, argv))) {
        const QCoreApplication core(argc, argv);
        print(stdout, parseCommandLine(QCoreApplication::arguments()).text);
        return 0;
    }

    QApplication app(argc, argv);
    // The toolkit's own options (-platform, -style ...) are gone by now.
    const CommandLine line = parseCommandLine(QApplication::arguments());
    if (line.action == CommandLine::Action::Error) {
        print(stderr, line.text);
        return 2;
    }
    QApplication::setWindowIcon(pictureIcon(Picture::WindowIcon));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tarvimonda"));
    // The game ends only through its own steps (exit, countdown, close box).
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    reportStartupTimesWhenAsked();

    Tavola tavola({}, settingsFrom(line, readConfiguration()));
    tavola.showTavola();
    return QApplication::exec();
}
