// app/driver.h: the program's phases, run once each, in order.
#pragma once

#include <span>

#include "library/chart_selection.h"

// Runs the program as the command line asks (the arguments after the program name): the
// usage, the version, an undo, a rescale or listing without screens, or the full run. Returns the
// exit status.
int run_command_line(std::span<const char* const> arguments);

// Runs the whole program in the working folder: screen set-up, the Songs check, the
// scan, the browser (with the charts `selection` names selected, when it names any), the
// scale screens, the rewrite with its report, the final prompt. Returns the exit status:
// 0 when every selected song file was written, 1 otherwise.
int run_rerate(const ChartSelection& selection);
