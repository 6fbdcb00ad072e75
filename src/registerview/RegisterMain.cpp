// The teacher's register window, started by "tarvimonda --register" with the
// game's own arguments.
#include "startup/CommandLine.h"
#include "startup/ProcessContext.h"
#include "registerview/RegisterProgram.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    settleProcessContext();
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version: std::fputs(line.text.toLocal8Bit().constData(), stdout); return 0;
    case CommandLine::Action::Error: std::fputs(line.text.toLocal8Bit().constData(), stderr); return 2;
    case CommandLine::Action::Check:
        std::fputs("tarvimonda: --check è un'opzione del gioco, non del registro.\n", stderr);
        return 2;
    case CommandLine::Action::Play:
    case CommandLine::Action::Register: break;
    }
    return runRegister(line, argc, argv);
}
