#pragma once

#include <QString>

class QProcess;

// The record keeper's processes as the window starts them and lets them go.
// One is started ahead and waits, idle, on its standard input: the next
// step then costs the window a write to a pipe, not a process start (a
// vfork and an exec the window waits through, then the keeper's own few
// milliseconds of start on a machine that has two cores for everything).
namespace keeperprocess {

struct Taken
{
    QProcess *process = nullptr;
    // false: a new process, for the caller to start once it listens to its
    // errors.
    bool started = false;
};

// The keeper started ahead, when it still runs the program's file as it
// is now; else a new process.
Taken take(const QString &program);

// Starts a keeper ahead once the window has had kAheadAfterMs without
// another step, unless one is waiting already.
void startAheadSoon(const QString &program);
inline constexpr int kAheadAfterMs = 250;
// A keeper started ahead waits for program.
bool waitingAhead(const QString &program);

// A keeper no longer wanted is never killed nor waited for: it ends on its
// own, and the program's end never waits for it.
void leaveBehind(QProcess *process);

} // namespace keeperprocess
