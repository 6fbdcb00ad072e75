#pragma once

// The first thing the record keeper does, before it reads anything: nothing
// of the caller's process context reaches what follows. The environment is
// emptied, the umask is the keeper's own (every file gets its mode from the
// folder, whatever the pupil's umask), descriptors 0 to 2 are open (on
// /dev/null where closed, so no file opened later takes their place), every
// other inherited descriptor is closed, and a reader that went away gives
// an error, not death by SIGPIPE.
void hardenProcess();
