#pragma once

#include "fileformats/RegisterParser.h"

#include <QByteArray>
#include <QString>

// One read of a register file, made beside the window: the whole file, or
// only what was appended since the last read when the file is still the
// same one, grown and unchanged up to where that read stopped.

// Where the last read stopped, and which file it was.
struct ReadPosition
{
    qint64 offset = 0; // 0: read the whole file
    qint64 line = 1;   // the number of the line that starts at offset
    quint64 device = 0;
    quint64 inode = 0;
    QByteArray before; // the last bytes before offset, to notice a rewritten file
};

// Why there is no register to show; the window words it.
struct ReadProblem
{
    enum class Kind { None, Missing, Forbidden, NotAFile, Failed };
    Kind kind = Kind::None;
    int error = 0;   // Failed: errno; NotAFile: a pipe, a socket or a device stands there
    // Forbidden: the group that may read the file (or its folder), empty
    // when not known, and the account that tried. Looked up beside the
    // window, as the system may ask a directory server.
    QString group;
    QString account;
    friend bool operator==(const ReadProblem &, const ReadProblem &) = default;
};

struct RegisterRead
{
    ReadProblem problem;
    ParsedRegister parsed;
    bool whole = true; // parsed from the start: replaces what was read before
    ReadPosition next;

    bool ok() const { return problem.kind == ReadProblem::Kind::None; }
};

RegisterRead readRegister(const QString &path, const ReadPosition &from = {});
