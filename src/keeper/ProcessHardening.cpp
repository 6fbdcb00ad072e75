#include "keeper/ProcessHardening.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void resetSignals()
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        (void)::sigaction(signal, &fallback, nullptr); // SIGKILL and SIGSTOP refuse, as they should
    for (const int ignored : {SIGPIPE, SIGXFSZ, SIGTSTP, SIGTTIN, SIGTTOU})
        std::signal(ignored, SIG_IGN);
}

void raiseSoftLimits()
{
    for (const int resource : {RLIMIT_FSIZE, RLIMIT_CPU, RLIMIT_NOFILE}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            (void)::setrlimit(resource, &limit);
        }
    }
}

} // namespace

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
    resetSignals();
    raiseSoftLimits();
    ::alarm(kKeeperLifeSeconds);
}
