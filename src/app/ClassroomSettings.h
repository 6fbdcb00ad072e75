#pragma once

#include "record/RecordNames.h"

#include <QByteArray>
#include <QString>

#include <optional>

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
    // Where the teacher chose it, to be named when it cannot be used.
    QString recordFolderSource;
    // A line in registro.csv for every game that ends through its end.
    bool registerEnabled = false;
    // How long a step over the record folder waits for other games; a
    // folder that does not answer at all is given a little more.
    int recordWaitMs = kRecordLockWaitMs;
};

struct CommandLine;
struct Configuration;

// The record folder: the command line first, then the teacher's
// configuration, then the per-user data folder.
ClassroomSettings classroomSettings(const CommandLine &line, const Configuration &configuration);

// Why the record code, which takes a folder as text, cannot use this path
// byte for byte (its bytes are not UTF-8, and text would name another
// folder); nothing when it can.
std::optional<QString> notUsableAsGiven(const QByteArray &folder);
