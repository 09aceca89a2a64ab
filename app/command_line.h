// app/command_line.h: what the command line asks for, and the texts of --help and
// --version.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "library/chart_selection.h"
#include "library/divisor_option.h"

enum class Command {
  Run,      // the full-screen run
  Help,     // --help
  Version,  // --version
  Undo,     // --undo [JOURNAL]
  Misuse,   // an unknown option or argument, a bad value, options that do not go together
  Rescale,  // --divisor: the rescale without screens
  List,     // --list
};

struct CommandLine {
  Command command = Command::Run;
  std::string journal;       // Undo: the journal named, or empty for the newest one
  std::string library;       // Run, Rescale, List and Undo: the folder that holds Songs; empty:
                             // the working folder
  std::string error;         // Misuse: what is wrong
  ChartSelection selection;  // Run, Rescale and List: the selection flags
  std::vector<DivisorOption> divisors;  // Rescale: the --divisor options, in order
  bool dry_run = false;                 // --dry-run: report what would be written, write nothing
};

// Reads the arguments that follow the program name, options and operands in any order:
// --opt=value or --opt value, and -- ends the options. The word right after --undo (or
// after "--undo --") is its journal unless it is an option; one other operand names the
// library folder. --help and --version win over anything else that is valid; the first
// fault makes the whole line a misuse: a bad value (naming its option), a --divisor given
// twice for the same charts, --list with --divisor or --dry-run, or --undo with any option
// of a run.
CommandLine parse_command_line(std::span<const char* const> arguments);

// The usage that --help prints: what the tool does, where to start it, its options and keys.
std::string usage_text();

// "rerate <version>"
std::string version_text();
