#include "startup/ProcessContext.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

void settleProcessContext()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number: this one, since the ones below are open.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != descriptor) {
            ::dup2(opened, descriptor);
            ::close(opened);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}
