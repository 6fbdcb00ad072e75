#pragma once

// Makes the process safe from how it was started, before anything else
// runs: standard input, output and error that were closed are opened on
// /dev/null, so the next file or connection opened never takes their number
// and a warning is never written into it; and SIGPIPE is ignored, so a
// standard error that is a pipe nobody reads fails a write instead of
// ending the game.
void settleProcessContext();
