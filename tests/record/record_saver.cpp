// One game's end of game, as its own process: the real compare-and-save on
// a record folder, as the keeper does it, with every flush to disk slowed
// down as on a slow network share.
//
//   record_saver FOLDER SCORE NAME
//
// Prints the outcome as the keeper does. TARVIMONDA_SLOW_SYNC_MS: how long
// every flush takes.
#include "RecordStepsRun.h"
#include "keeper/KeeperProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
void slowDown()
{
    if (const char *ms = std::getenv("TARVIMONDA_SLOW_SYNC_MS"))
        ::usleep(static_cast<useconds_t>(std::atoi(ms)) * 1000U);
}
} // namespace

extern "C" int fdatasync(int fd) noexcept
{
    slowDown();
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

extern "C" int fsync(int fd) noexcept
{
    slowDown();
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: record_saver FOLDER SCORE NAME\n", stderr);
        return 2;
    }
    const auto outcome = endIn(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                               QString::fromLocal8Bit(argv[3]));
    std::fputs(keeper::encodeReply(outcome).constData(), stdout);
    return 0;
}
