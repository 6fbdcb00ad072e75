#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the command line asks for:
//   tarvimonda [--check] [--record-folder CARTELLA] | --help | --version
//   tarvimonda --register [FILE] [--export-pdf OUT.pdf] [--export-csv OUT.csv]
//   tarvimonda --register [FILE] --export-pdf OUT.pdf --pupil NOME
// next to the toolkit's own options (-platform, -style ...), which are
// let through for QApplication.
struct CommandLine
{
    enum class Action { Play, Check, Help, Version, Error, Register };
    Action action = Action::Play;
    QByteArray recordFolder; // absolute, the bytes as given; empty: not given
    QString platform;     // the toolkit's -platform, empty: not given
    QString text;         // the help, the version or the one-line error, to print
    // The teacher's register window, or its report written without one.
    QString registerFile = {}; // empty: the class's own register
    QString exportPdf = {};    // empty: not asked for
    QString exportCsv = {};
    QString pupil = {};        // with --export-pdf: that pupil's report alone
};

// arguments as the program got them (argv's bytes), program first. Needs no
// QCoreApplication, so a wrong option is told before any display is opened.
CommandLine parseCommandLine(const QList<QByteArray> &arguments);
// The same from main's own arguments.
CommandLine parseCommandLine(int argc, char *argv[]);
// The same from text, as the system would encode it.
CommandLine parseCommandLine(const QStringList &arguments);
