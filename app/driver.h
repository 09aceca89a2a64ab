// app/driver.h: the program's phases, run once each, in order.
#pragma once

#include <span>
#include <string>

#include "library/chart_selection.h"

// Runs the program as the command line asks (the arguments after the program name): the
// usage, the version, an undo, a rescale or listing without screens, or the full run. Returns the
// exit status.
int run_command_line(std::span<const char* const> arguments);

// How the full run was asked for on the command line.
struct RunChoices {
  bool dry_run = false;        // report what the rewrite would do, write nothing
  std::string library_folder;  // the DIR given (already the working folder), or empty
  ChartSelection selection;    // the selection flags, which preselect charts in the tree
};

// Runs the whole program in the working folder: screen set-up, the Songs check, the
// scan and the marks of charts rescaled before, the browser (with the charts
// `choices.selection` names selected, when it names any), the scale screens, the rewrite (or
// dry run) with its report, the final prompt. Returns the exit status: 0 when every selected
// song file was written (a dry run: always 0 once the report is written), 1 otherwise.
int run_rerate(const RunChoices& choices = {});
