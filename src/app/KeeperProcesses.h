#pragma once

class QProcess;

// The record keeper's processes as the window starts them and lets them go.
// Each step starts a keeper of its own: one left waiting for a request
// would only be ended by the deadline the keeper keeps on its input.
namespace keeperprocess {

// A new process, for the caller to start once it listens to its errors.
QProcess *newProcess();

// A keeper no longer wanted is never killed nor waited for: it ends on its
// own, and the program's end never waits for it.
void leaveBehind(QProcess *process);

} // namespace keeperprocess
