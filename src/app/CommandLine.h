#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for:
//   tarvimonda [--record-folder CARTELLA] | --help | --version
struct CommandLine
{
    enum class Action { Play, Help, Version, Error };
    Action action = Action::Play;
    QString recordFolder; // empty: not given
    QString text;         // the help, the version or the error, to print
};

// arguments as QCoreApplication::arguments() gives them, program first.
CommandLine parseCommandLine(const QStringList &arguments);

// True when the arguments ask only for text to print: no display is needed.
bool wantsTextOnly(const QStringList &arguments);
