// app/command_line.cpp: the options, read without a library: there are only three.
#include "app/command_line.h"

#include <string_view>
#include <utility>

#ifndef RERATE_VERSION
#error "RERATE_VERSION must be defined by the build"
#endif

namespace {

constexpr std::string_view usage =
    "Usage: rerate [--undo [JOURNAL]]\n"
    "\n"
    "Rescales the difficulty ratings (meters) of the charts in a dance game's song library.\n"
    "Start it in the folder that holds the library's Songs folder: it reads every song file,\n"
    "shows the library as a tree where you select charts, asks for a divisor from 1.1 to 1.9\n"
    "and rewrites the selected meters in place, recording each change in an undo journal\n"
    "(rerate-undo-<UTC time>.txt) beside Songs. The report goes to standard output.\n"
    "\n"
    "Options:\n"
    "  --undo [JOURNAL]  restore the meters the rewrite recorded in JOURNAL (the newest\n"
    "                    journal in the working folder when none is named) and exit\n"
    "  -h, --help        show this help and exit\n"
    "  -V, --version     show the version and exit\n"
    "\n"
    "Keys: in the tree, Up/Down (k/j), Page Up/Page Down and Home/End (g/G) move,\n"
    "Right/Left expand and collapse, Space or Enter selects a chart, song or group, a/s/d\n"
    "select all, Single or Double charts, / searches names, titles and folders (n/N:\n"
    "next/previous match), q or Esc quits without changing any file, and F5 goes on; on the\n"
    "next screens Up/Down and Space/Enter choose the options, Left/Right change a divisor\n"
    "and Space/Enter confirm it, and Esc goes back. On every screen ? lists its keys.\n"
    "\n"
    "Exit status: 0 when every file was written (or restored), 1 when one was not or the\n"
    "program could not start, 2 for a wrong command line.\n";

enum class Option { Help, Version, Undo, Unknown };

Option option_of(std::string_view argument) {
  if (argument == "-h" || argument == "--help") return Option::Help;
  if (argument == "-V" || argument == "--version") return Option::Version;
  if (argument == "--undo" || argument.starts_with("--undo=")) return Option::Undo;
  return Option::Unknown;
}

CommandLine misuse(std::string error) { return CommandLine{Command::Misuse, {}, std::move(error)}; }

}  // namespace

CommandLine parse_command_line(std::span<const char* const> arguments) {
  CommandLine line;
  bool help = false;
  bool version = false;
  bool options_end = false;      // after "--" every argument is a journal name
  bool journal_allowed = false;  // the argument before was --undo
  for (std::string_view argument : arguments) {
    bool is_option = !options_end && argument.size() > 1 && argument[0] == '-';
    if (!is_option) {
      if (!journal_allowed) return misuse("unexpected argument '" + std::string(argument) + "'");
      line.journal = argument;
      journal_allowed = false;
      continue;
    }
    journal_allowed = false;
    if (argument == "--") {
      options_end = true;
      journal_allowed = line.command == Command::Undo && line.journal.empty();
      continue;
    }
    switch (option_of(argument)) {
    case Option::Help: help = true; break;
    case Option::Version: version = true; break;
    case Option::Undo:
      if (line.command == Command::Undo) return misuse("--undo given twice");
      line.command = Command::Undo;
      if (argument.starts_with("--undo=")) line.journal = argument.substr(7);
      journal_allowed = !argument.starts_with("--undo=");
      break;
    case Option::Unknown: return misuse("unknown option '" + std::string(argument) + "'");
    }
  }
  if (help)
    line.command = Command::Help;
  else if (version)
    line.command = Command::Version;
  return line;
}

std::string usage_text() { return std::string(usage); }

std::string version_text() { return std::string("rerate ") + RERATE_VERSION + "\n"; }
