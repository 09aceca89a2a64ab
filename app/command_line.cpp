// app/command_line.cpp: the options and operands, read with getopt_long.
#include "app/command_line.h"

#include <getopt.h>

#include <string_view>
#include <utility>
#include <vector>

#ifndef RERATE_VERSION
#error "RERATE_VERSION must be defined by the build"
#endif

namespace {

constexpr std::string_view usage =
    "Usage: rerate [--dry-run] [--undo [JOURNAL]] [DIR]\n"
    "\n"
    "Rescales the difficulty ratings (meters) of the charts in a dance game's song library.\n"
    "DIR is the folder that holds the library's Songs folder (the working folder when not\n"
    "given): rerate reads every song file, shows the library as a tree where you select\n"
    "charts, asks for a divisor from 1.1 to 1.9 and rewrites the selected meters in place,\n"
    "recording each change in an undo journal (rerate-undo-<UTC time>.txt) beside Songs.\n"
    "The report goes to standard output: a line per file and chart, then the totals and a\n"
    "histogram of the meters before and after. Charts an earlier run rescaled (their file\n"
    "unchanged since, as its journal tells) show a ~ after their meter and are named in the\n"
    "report.\n"
    "\n"
    "Options:\n"
    "  --dry-run         the same screens, then the report of what the rewrite would do\n"
    "                    (\"Would rewrite ...\"); no file is written, no journal made\n"
    "  --undo [JOURNAL]  restore the meters the rewrite recorded in JOURNAL (the newest\n"
    "                    journal beside Songs when none is named) and exit\n"
    "  -h, --help        show this help and exit\n"
    "  -V, --version     show the version and exit\n"
    "\n"
    "Examples:\n"
    "  rerate ~/Games/ITGmania               choose and rescale the charts of that library\n"
    "  rerate --undo ~/Games/ITGmania        undo the last rewrite there\n"
    "\n"
    "Keys: in the tree, Up/Down (k/j), Page Up/Page Down and Home/End (g/G) move,\n"
    "Right/Left expand and collapse, Space or Enter selects a chart, song or group, a/s/d\n"
    "select all, Single or Double charts, m selects or clears by rule (mode, difficulties,\n"
    "meter range, where), / searches names, titles and folders (n/N: next/previous match),\n"
    "q or Esc quits without changing any file, and F5 goes on; on the next screens Up/Down\n"
    "and Space/Enter choose the options, Left/Right change a divisor and Space/Enter\n"
    "confirm it, and Esc goes back. On every screen ?, h or F1 lists its keys.\n"
    "\n"
    "Exit status: 0 when every file was written (or restored), 1 when one was not or the\n"
    "program could not start, 2 for a wrong command line or a DIR that is not a folder.\n";

// getopt_long's codes for the options without a short form.
constexpr int undo_option = 256;
constexpr int dry_run_option = 257;
// getopt_long's code for an operand, returned in its place (the "-" that starts the
// option letters asks for that), so that the word after --undo can be its journal.
constexpr int operand_code = 1;

constexpr option long_options[] = {{"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {"undo", optional_argument, nullptr, undo_option},
                                   {"dry-run", no_argument, nullptr, dry_run_option},
                                   {nullptr, 0, nullptr, 0}};

CommandLine misuse(std::string error) {
  CommandLine line;
  line.command = Command::Misuse;
  line.error = std::move(error);
  return line;
}

// What is wrong with the option that getopt_long refused in `word` (`letter`: the short
// option it refused, if that was one).
std::string option_fault(std::string_view word, int letter) {
  if (!word.starts_with("--"))
    return "unknown option '-" + std::string(1, static_cast<char>(letter)) + "'";
  std::string_view name = word.substr(0, word.find('='));
  for (const option& known : long_options)
    if (known.name != nullptr && name.substr(2) == known.name)
      return "option '" + std::string(name) + "' takes no value";
  return "unknown option '" + std::string(name) + "'";
}

// An operand: the journal when it follows --undo, else the library folder (once).
bool take_operand(CommandLine& line, std::string_view word, bool after_undo) {
  if (after_undo) {
    line.journal = word;
    return true;
  }
  if (!line.library.empty()) return false;
  line.library = word;
  return !word.empty();
}

}  // namespace

CommandLine parse_command_line(std::span<const char* const> arguments) {
  // getopt_long wants the program name first and the words as it may reorder; this
  // reading never reorders them, and never writes to the words themselves.
  std::vector<char*> words{const_cast<char*>("rerate")};
  for (const char* argument : arguments) words.push_back(const_cast<char*>(argument));
  words.push_back(nullptr);
  int count = static_cast<int>(words.size()) - 1;
  optind = 0;  // start afresh: every parse reads a new line
  opterr = 0;  // the faults are reported here, not by getopt_long
  CommandLine line;
  bool help = false;
  bool version = false;
  bool after_undo = false;  // the word before was --undo without a value
  for (;;) {
    int at = optind > 0 ? optind : 1;  // the word getopt_long reads next
    int code = getopt_long(count, words.data(), "-hV", long_options, nullptr);
    if (code == -1) break;
    bool journal_allowed = std::exchange(after_undo, false);
    switch (code) {
    case operand_code:
      if (!take_operand(line, optarg, journal_allowed))
        return misuse("unexpected argument '" + std::string(optarg) + "'");
      break;
    case 'h': help = true; break;
    case 'V': version = true; break;
    case dry_run_option: line.dry_run = true; break;
    case undo_option:
      if (line.command == Command::Undo) return misuse("--undo given twice");
      line.command = Command::Undo;
      if (optarg != nullptr) line.journal = optarg;
      after_undo = optarg == nullptr;
      break;
    default: return misuse(option_fault(words[static_cast<std::size_t>(at)], optopt));
    }
  }
  // The words after "--" are operands, the first one the journal when "--" followed --undo.
  for (int i = optind; i < count; ++i) {
    const char* word = words[static_cast<std::size_t>(i)];
    if (!take_operand(line, word, std::exchange(after_undo, false)))
      return misuse("unexpected argument '" + std::string(word) + "'");
  }
  if (line.dry_run && line.command == Command::Undo && !help && !version)
    return misuse("--dry-run is for a rewrite, not --undo");
  if (help)
    line.command = Command::Help;
  else if (version)
    line.command = Command::Version;
  return line;
}

std::string usage_text() { return std::string(usage); }

std::string version_text() { return std::string("rerate ") + RERATE_VERSION + "\n"; }
