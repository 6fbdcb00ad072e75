#pragma once

#include <QByteArray>

#include <set>

// The system calls a save makes, defined in SystemCallTraps.cpp in place of
// the C library's, so that a forked child can be killed, or told of a
// failure, at an exact point of a real save. Armed in a child only;
// disarmed (the default), each is the plain system call.

// renameat(2): the child killed just before or just after a file goes in
// place, or the rename failing as a share does: not done, or done and
// answered with an error.
extern int g_killAtRename;     // which renameat() of the save, 1-based; 0: off
extern bool g_killAfterRename;
extern int g_failAtRename;     // which renameat() answers EIO; 0: off
extern bool g_failAfterRename; // ...having done it all the same
extern int g_renames;

// Armed, a file renamed into place before it was synced ends the child
// with kUnsynced: a power cut could then leave an empty record.
extern bool g_checkSynced;
extern std::set<QByteArray> g_synced;
inline constexpr int kUnsynced = 78;

// read(2), fsync(2) and fdatasync(2) failing as a dying disk does: the file
// whose name ends so fails with EIO (or, for fsync, the folder's own sync).
extern const char *g_failingFile; // a file's name, or "/" for the folder
extern int g_failingSyncs;        // folder syncs that still pass first

// close(2) telling of a lost write, as a share may: closing a file whose
// name holds this part closes it and answers EIO.
extern const char *g_closeFailsFor;
