#pragma once

#include <QString>

struct CommandLine;
struct Configuration;

// tarvimonda --check: what a game started here would use, told to the
// teacher in Italian, without a display and without changing anything.
struct CheckReport
{
    QString text;
    int status = 1; // 0 when the record can be kept, 1 otherwise
};

CheckReport teacherCheck(const CommandLine &line, const Configuration &configuration);
