#pragma once

// When the environment variable TARVIMONDA_STARTUP_TIMES is set, prints to
// standard error the moments (nanoseconds of the real-time clock) at which
// the name prompt is first on screen, the greeting's OK is pressed and the
// first exercise is on screen, for bench/startup.sh. Otherwise does nothing.
void reportStartupTimesWhenAsked();

// Under the same variable, prints the moment a step of the start is done
// ("tarvimonda-startup step NAME NS"), to see what the name prompt waits
// for; nothing otherwise.
void markStartupStep(const char *step);
