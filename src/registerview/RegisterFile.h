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
    quint64 device = 0;
    quint64 inode = 0;
    QByteArray before; // the last bytes before offset, to notice a rewritten file
};

struct RegisterRead
{
    enum class Outcome { Read, Missing, Failed };
    Outcome outcome = Outcome::Read;
    QString message; // Italian, naming the file, for Missing and Failed
    ParsedRegister parsed;
    bool whole = true; // parsed from the start: replaces what was read before
    ReadPosition next;
};

RegisterRead readRegister(const QString &path, const ReadPosition &from = {});

// What the teacher is told when the file is not there yet, and when it may
// not be read (with the fix: which group to join, then log out and in).
QString missingRegisterMessage(const QString &path);
QString forbiddenRegisterMessage(const QString &path);

// "1 riga non letta", "3 righe non lette".
QString unreadLines(int count);
