#pragma once

// When the environment variable TARVIMONDA_STARTUP_TIMES is set, prints to
// standard error the moments (nanoseconds of the real-time clock) at which
// the name prompt is first on screen, the greeting's OK is pressed and the
// first exercise is on screen, for bench/startup.sh. Otherwise does nothing.
void reportStartupTimesWhenAsked();
