#include "keeper/ProcessHardening.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void hardenProcess()
{
    ::clearenv();
    ::umask(0);
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free number: fd itself.
            if (::open("/dev/null", O_RDWR) != fd)
                ::_exit(126);
        }
    }
    ::close_range(3, ~0U, 0);
    std::signal(SIGPIPE, SIG_IGN);
}
