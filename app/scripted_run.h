// app/scripted_run.h: the runs without screens, for scripts and shell loops: the rescale
// that the --divisor options ask for, and the listing of --list.
#pragma once

#include "app/command_line.h"

// Rescales the charts that `line`'s selection names, each with the divisor its
// --divisor options give it (charts given none are left alone), in the working folder:
// the lock, the scan, the rewrite with its report on standard output and its journal.
// Progress goes to standard error when it is a terminal. Returns the exit status: 0 when
// every selected song file was written, 1 otherwise.
int run_scripted_rescale(const CommandLine& line);

// Lists the charts of the library in the working folder, one tab-separated line each on
// standard output: every chart without selection flags, with them the charts a rescale
// would select. Writes no file and takes no lock. Returns the exit status.
int run_listing(const CommandLine& line);
