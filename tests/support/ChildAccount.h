#pragma once

#include "keeper/KeeperProtocol.h"
#include "record/RecordOutcome.h"

#include <functional>
#include <optional>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

// A step of the record run in a forked child, as a pupil's account when the
// tests run as root, so permissions are met as a pupil meets them.

inline constexpr int kCannotSwitch = 77; // the child could not become another user

// How a child's end of game ended.
struct ChildSave
{
    bool exited = false;  // by _exit, not by a signal
    int exitCode = -1;
    int signal = 0;
    record::GameEndOutcome outcome; // as the child told it
};

// Runs body in a forked child, which sends back the outcome as the record
// keeper would.
inline ChildSave inChild(const std::function<record::GameEndOutcome()> &body)
{
    ChildSave result;
    int channel[2];
    if (::pipe(channel) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        const QByteArray reply = keeper::encodeReply(body());
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
    result.outcome = keeper::parseReply(reply).value_or(record::GameEndOutcome());
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


