#pragma once

#include <QString>

struct CommandLine;
struct Configuration;

// The register file to open when the command line names none: registro.csv
// in the record folder the game would use (--record-folder, the teacher's
// configuration file, else the per-user folder). The one place that answers
// it.
QString defaultRegisterFile(const CommandLine &line, const Configuration &configuration);

// "tarvimonda --register [FILE]": the window, or with --export-pdf or
// --export-csv the report written with no display at all. The exit status.
int runRegister(const CommandLine &line, int &argc, char **argv);
