#pragma once

// A save run in a forked child, so that a kill, another user or a
// file-size limit touches that child only; and the account a root test run
// borrows to meet permissions as a pupil would.
#include <QByteArray>
#include <QString>

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

// How a child save ended.
struct ChildSave
{
    bool exited = false;  // by _exit, not by a signal
    int exitCode = -1;
    int signal = 0;
    bool saved = false;   // saveRecord returned no failure
    QString message;      // the failure it returned
};

// Runs body in a forked child. The child sends back what saveRecord
// returned: "ok", or the failure text.
inline ChildSave inChild(const std::function<std::optional<QString>()> &body)
{
    ChildSave result;
    int channel[2];
    if (::pipe(channel) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        const std::optional<QString> failure = body();
        const QByteArray reply = failure ? failure->toUtf8() : QByteArray("ok");
        const ssize_t written = ::write(channel[1], reply.constData(), static_cast<size_t>(reply.size()));
        ::_exit(written == reply.size() ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray reply;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        reply.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.saved = result.exited && result.exitCode == 0 && reply == "ok";
    if (!result.saved)
        result.message = QString::fromUtf8(reply);
    return result;
}

// The account a root test run borrows to meet permissions as a pupil would.
struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
};
inline std::optional<Account> unprivilegedAccount()
{
    if (::geteuid() != 0)
        return Account{::geteuid(), ::getegid()};
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    return Account{nobody->pw_uid, nobody->pw_gid};
}

// In a child: drop to the account when running as root.
inline bool becomeAccount(const Account &account)
{
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(account.gid) == 0 && ::setuid(account.uid) == 0
           && ::geteuid() == account.uid;
}

// Runs body in a forked child as the given user and group; its return value
// is the child's exit code (0 when all went as expected).
inline int asUser(uid_t uid, gid_t gid, mode_t umask, const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::umask(umask);
        if (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}
