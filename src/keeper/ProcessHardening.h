#pragma once

// The first thing the record keeper does, before it reads anything: nothing
// of the caller's process context reaches what follows. The environment is
// emptied, the umask is the keeper's own (every file gets its mode from the
// folder, whatever the pupil's umask), descriptors 0 to 2 are open (on
// /dev/null where closed, so no file opened later takes their place), every
// other inherited descriptor is closed, every signal is back to its default
// and none is blocked, and the soft resource limits are raised to the hard
// ones.
//
// Then: a reader that went away, or a file-size limit, gives an error
// instead of death (a write is then taken back whole), the terminal's stop
// keys stop nothing, and the whole life of the keeper is bounded.
void hardenProcess();

// How long a keeper may live in all: its request and "go" (each with its
// own deadline), the wait for the lock, and the writes.
inline constexpr unsigned kKeeperLifeSeconds = 150;
