#include "app/StartupTimes.h"
#include "app/Tavola.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvimonda"));
    QApplication::setApplicationVersion(QStringLiteral(TARVIMONDA_VERSION));
    QApplication::setWindowIcon(pictureIcon(Picture::WindowIcon));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tarvimonda"));
    // The game ends only through its own steps (exit, countdown, close box).
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    reportStartupTimesWhenAsked();

    Tavola tavola;
    tavola.showTavola();
    return QApplication::exec();
}
