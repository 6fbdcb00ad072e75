#pragma once

#include "record/RecordNames.h"
#include "settings/Configuration.h"

#include <QByteArray>
#include <QString>

// What the teacher decided for this machine or class (the configuration
// file, the command line), as plain values built at start.
struct ClassroomSettings
{
    // The bytes as given, never decoded; empty: the per-user data folder.
    QByteArray recordFolder;
    // A folder the teacher chose: never created beyond its last part, so a
    // share that is not mounted is reported instead of silently replaced by
    // a local folder.
    bool recordFolderChosen = false;
    // Where the teacher chose it, to be named when it cannot be used: a
    // configuration file's line; not set: the command line.
    ConfigurationPlace recordFolderFrom;
    // Chosen for this account alone: on its command line or in its own
    // configuration file. Any other folder setting is the machine's.
    bool recordFolderPersonal = false;
    // A line in registro.csv for every game that ends through its end.
    bool registerEnabled = false;
    // How long a step over the record folder waits for other games; a
    // folder that does not answer at all is given a little more.
    int recordWaitMs = kRecordLockWaitMs;
    // The record keeper's program; empty: beside the game, else where the
    // package installs it.
    QString keeperProgram;
    // Started by root: a chosen class folder gets no file of root's.
    bool asAdministrator = false;
};

struct CommandLine;
struct Configuration;

// The per-user folder: $XDG_DATA_HOME/tarvimonda, or
// ~/.local/share/tarvimonda. Nothing on disk is touched.
QString defaultRecordFolder();

// The record keeper's program: the one given, else beside the game (a build
// tree), else where the package puts it.
QString keeperProgramOf(const ClassroomSettings &settings);

// An administrator's files in a class folder (an empty mount point, say)
// would shut the pupils out: a game run as root keeps no record in a chosen
// folder, and the teacher's check says the same.
bool refusedAsAdministrator(const ClassroomSettings &settings);

// The register window's program, found the same way. A program of its own,
// so that the game never loads the charts' and printing's libraries.
QString registerProgram();

// The folder the record is kept in: the machine's class folder when the
// keeper is installed to serve it (set-group-id) and this account chose no
// folder of its own, else the one chosen, else the per-user folder; and
// whether it is a class folder.
struct RecordFolderChoice
{
    QByteArray path; // absolute, the bytes as the system holds them
    bool classFolder = false;
    // The machine's class folder, which the installed keeper finds and
    // serves itself: path is only what the window shows of it.
    bool machine = false;
};
RecordFolderChoice recordFolderOf(const ClassroomSettings &settings);

// The record folder: the command line first, then the teacher's
// configuration, then the per-user data folder.
ClassroomSettings classroomSettings(const CommandLine &line, const Configuration &configuration);
