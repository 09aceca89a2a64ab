// app/command_line.cpp: the options and operands, read with getopt_long.
#include "app/command_line.h"

#include <getopt.h>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#ifndef RERATE_VERSION
#error "RERATE_VERSION must be defined by the build"
#endif

namespace {

constexpr std::string_view usage =
    "Usage: rerate [--dry-run] [SELECTION] [DIR]\n"
    "       rerate --undo [JOURNAL] [DIR]\n"
    "       rerate --divisor X [--divisor ...] [SELECTION] [--dry-run] [DIR]\n"
    "       rerate --list [SELECTION] [DIR]\n"
    "\n"
    "Rescales the difficulty ratings (meters) of the charts in a dance game's song library.\n"
    "DIR is the folder that holds the library's Songs folder (the working folder when not\n"
    "given): rerate reads every song file, shows the library as a tree where you select\n"
    "charts, asks for a divisor from 1.1 to 1.9 and rewrites the selected meters in place,\n"
    "recording each change in an undo journal (rerate-undo-<UTC time>.txt) beside Songs.\n"
    "The report goes to standard output: a line per file and chart, then the totals and a\n"
    "histogram of the meters before and after. Charts an earlier run rescaled (their file\n"
    "unchanged since, as its journal tells) show a ~ after their meter and are named in the\n"
    "report. With --divisor or --list it runs without screens.\n"
    "\n"
    "Options:\n"
    "  --undo [JOURNAL]  restore the meters the rewrite recorded in JOURNAL (the newest\n"
    "                    journal beside Songs when none is named) and exit\n"
    "  --divisor X       rescale without screens: divide the selected meters by X, one of\n"
    "                    1.1, 1.2, ... 1.9, written so. Repeatable as MODE=X, DIFFICULTY=X\n"
    "                    or MODE:DIFFICULTY=X (single=1.4, hard=1.5, double:hard=1.6): the\n"
    "                    most specific one covering a chart gives its divisor, and charts\n"
    "                    that none covers are not rescaled\n"
    "  --dry-run         after the screens, or with --divisor: report what the rewrite\n"
    "                    would do (\"Would rewrite ...\"); no file is written, no journal made\n"
    "  --list            print the charts, one tab-separated line each: group, song folder,\n"
    "                    file, mode, difficulty, meter, rescaled before (yes/no); with a\n"
    "                    SELECTION, the charts a rescale would select. Writes nothing\n"
    "  -h, --help        show this help and exit\n"
    "  -V, --version     show the version and exit\n"
    "\n"
    "SELECTION: any of these, each repeatable; a chart must match every kind given and\n"
    "one value of each. Without --divisor or --list they select charts in the tree.\n"
    "  --group GLOB      groups whose folder name matches the shell pattern GLOB\n"
    "  --song GLOB       songs whose folder name or title matches GLOB\n"
    "  --mode MODE       single or double\n"
    "  --difficulty D,.. beginner, easy, medium, hard, expert (or challenge), edit\n"
    "  --meter A-B       meters from A to B; --meter A: meter A alone\n"
    "  --include-rescaled  charts an earlier run rescaled too (left out otherwise)\n"
    "Without a SELECTION a rescale takes every chart not rescaled before, and --list\n"
    "prints every chart.\n"
    "\n"
    "Examples:\n"
    "  rerate ~/Games/ITGmania               choose and rescale the charts of that library\n"
    "  rerate --undo ~/Games/ITGmania        undo the last rewrite there\n"
    "  rerate --divisor 1.5 --group 'Pack A' --group 'Pack B' ~/Games/ITGmania\n"
    "                                        two packs at 1.5, without screens\n"
    "  rerate --divisor 1.3 --divisor hard=1.5 --divisor expert=1.6 --group 'Pack A'\n"
    "                                        one pack, a divisor per difficulty\n"
    "  rerate --divisor 1.5 --mode double --meter 13-30 --dry-run\n"
    "                                        what dividing those charts would do\n"
    "  rerate --list --mode single | cut -f1,6 | sort | uniq -c\n"
    "                                        how many Single charts of each meter per group\n"
    "\n"
    "Keys: in the tree, Up/Down (k/j), Page Up/Page Down and Home/End (g/G) move,\n"
    "Right/Left expand and collapse, Space or Enter selects a chart, song or group, a/s/d\n"
    "select all, Single or Double charts, m selects or clears by rule (mode, difficulties,\n"
    "meter range, where), / searches names, titles and folders (n/N: next/previous match),\n"
    "q or Esc quits without changing any file, and F5 goes on; on the next screens Up/Down\n"
    "and Space/Enter choose the options, Left/Right change a divisor and Space/Enter\n"
    "confirm it, and Esc goes back. On every screen ?, h or F1 lists its keys. Progress of a run\n"
    "without screens goes to standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 when every file was written (or restored), 1 when one was not or the\n"
    "program could not start, 2 for a wrong command line or a DIR that is not a folder.\n";

// getopt_long's codes for the options without a short form.
enum OptionCode : int {
  undo_option = 256,
  divisor_option,
  group_option,
  song_option,
  mode_option,
  difficulty_option,
  meter_option,
  include_rescaled_option,
  list_option,
  dry_run_option,
};
// getopt_long's code for an operand, returned in its place (the "-" that starts the
// option letters asks for that), so that the word after --undo can be its journal.
constexpr int operand_code = 1;

constexpr option long_options[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"undo", optional_argument, nullptr, undo_option},
    {"divisor", required_argument, nullptr, divisor_option},
    {"group", required_argument, nullptr, group_option},
    {"song", required_argument, nullptr, song_option},
    {"mode", required_argument, nullptr, mode_option},
    {"difficulty", required_argument, nullptr, difficulty_option},
    {"meter", required_argument, nullptr, meter_option},
    {"include-rescaled", no_argument, nullptr, include_rescaled_option},
    {"list", no_argument, nullptr, list_option},
    {"dry-run", no_argument, nullptr, dry_run_option},
    {nullptr, 0, nullptr, 0}};

CommandLine misuse(std::string error) {
  CommandLine line;
  line.command = Command::Misuse;
  line.error = std::move(error);
  return line;
}

// What is wrong with the option that getopt_long refused in `word` (`letter`: the short
// option it refused, if that was one); `missing`: it wants a value and has none.
std::string option_fault(std::string_view word, int letter, bool missing) {
  if (!word.starts_with("--"))
    return "unknown option '-" + std::string(1, static_cast<char>(letter)) + "'";
  std::string_view name = word.substr(0, word.find('='));
  if (missing) return "option '" + std::string(name) + "' needs a value";
  for (const option& known : long_options)
    if (known.name != nullptr && name.substr(2) == known.name)
      return "option '" + std::string(name) + "' takes no value";
  return "unknown option '" + std::string(name) + "'";
}

// The fault of a bad value of option `name`, with what it should be.
std::string bad_value(std::string_view name, std::string_view value, std::string_view wanted) {
  return "bad value for --" + std::string(name) + ": '" + std::string(value) + "' (" +
         std::string(wanted) + ")";
}

// Adds a --divisor to `line`; returns what is wrong with it, or nothing.
std::string take_divisor(CommandLine& line, std::string_view value) {
  std::optional<DivisorOption> divisor = parse_divisor_option(value);
  if (!divisor)
    return bad_value("divisor", value,
                     "X, MODE=X, DIFFICULTY=X or MODE:DIFFICULTY=X, X one of 1.1, 1.2, ... 1.9");
  for (const DivisorOption& given : line.divisors)
    if (same_charts(given, *divisor))
      return "--divisor '" + std::string(value) + "': those charts have a divisor already";
  line.divisors.push_back(*divisor);
  return {};
}

// Reads the value of the option of code `code` into `line`; returns what is wrong with it,
// or nothing.
std::string take_value(CommandLine& line, int code, std::string_view value) {
  ChartSelection& selection = line.selection;
  switch (code) {
  case divisor_option: return take_divisor(line, value);
  case group_option:
  case song_option:
    if (value.empty())
      return bad_value(code == group_option ? "group" : "song", value, "a pattern");
    (code == group_option ? selection.group_patterns : selection.song_patterns).emplace_back(value);
    return {};
  case mode_option:
    if (std::optional<Mode> mode = parse_mode(value)) {
      selection.modes[static_cast<std::size_t>(*mode)] = true;
      return {};
    }
    return bad_value("mode", value, "single or double");
  case difficulty_option:
    if (auto difficulties = parse_difficulty_list(value)) {
      for (std::size_t d = 0; d < difficulties->size(); ++d)
        selection.difficulties[d] = selection.difficulties[d] || (*difficulties)[d];
      return {};
    }
    return bad_value("difficulty", value,
                     "names from beginner, easy, medium, hard, expert (or challenge) and edit, "
                     "separated by commas");
  case meter_option:
    if (std::optional<MeterRange> range = parse_meter_range(value)) {
      selection.meters.push_back(*range);
      return {};
    }
    return bad_value("meter", value, "A-B with 1 <= A <= B, or one meter");
  }
  return {};
}

// What is wrong with a line whose options do not go together, or nothing.
std::string clash(const CommandLine& line, bool list) {
  bool rescale = !line.divisors.empty();
  if (list && rescale) return "--list does not go with --divisor (a listing writes nothing)";
  if (list && line.dry_run) return "--list does not go with --dry-run (a listing writes nothing)";
  bool run_options = list || rescale || line.dry_run || names_anything(line.selection);
  if (line.command == Command::Undo && run_options)
    return "--undo does not go with --divisor, --list, --dry-run or a selection";
  return {};
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
  bool list = false;
  bool after_undo = false;  // the word before was --undo without a value
  for (;;) {
    int at = optind > 0 ? optind : 1;  // the word getopt_long reads next
    int code = getopt_long(count, words.data(), "-:hV", long_options, nullptr);
    if (code == -1) break;
    bool journal_allowed = std::exchange(after_undo, false);
    switch (code) {
    case operand_code:
      if (!take_operand(line, optarg, journal_allowed))
        return misuse("unexpected argument '" + std::string(optarg) + "'");
      break;
    case 'h': help = true; break;
    case 'V': version = true; break;
    case undo_option:
      if (line.command == Command::Undo) return misuse("--undo given twice");
      line.command = Command::Undo;
      if (optarg != nullptr) line.journal = optarg;
      after_undo = optarg == nullptr;
      break;
    case include_rescaled_option: line.selection.include_rescaled = true; break;
    case list_option: list = true; break;
    case dry_run_option: line.dry_run = true; break;
    case '?':
    case ':': return misuse(option_fault(words[static_cast<std::size_t>(at)], optopt, code == ':'));
    default:
      if (std::string fault = take_value(line, code, optarg); !fault.empty())
        return misuse(std::move(fault));
    }
  }
  // The words after "--" are operands, the first one the journal when "--" followed --undo.
  for (int i = optind; i < count; ++i) {
    const char* word = words[static_cast<std::size_t>(i)];
    if (!take_operand(line, word, std::exchange(after_undo, false)))
      return misuse("unexpected argument '" + std::string(word) + "'");
  }
  if (std::string fault = clash(line, list); !fault.empty()) return misuse(std::move(fault));
  if (help)
    line.command = Command::Help;
  else if (version)
    line.command = Command::Version;
  else if (list)
    line.command = Command::List;
  else if (!line.divisors.empty() && line.command == Command::Run)
    line.command = Command::Rescale;
  return line;
}

std::string usage_text() { return std::string(usage); }

std::string version_text() { return std::string("rerate ") + RERATE_VERSION + "\n"; }
