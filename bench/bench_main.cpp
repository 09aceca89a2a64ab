// bench/bench_main.cpp: rerate_bench: writes a synthetic song library, then measures in
// one run, on a warm page cache: the floor (a plain C listing and reading of every song
// file on every core), the program's way from start to the first browser frame (in a
// fresh process, with its memory), the browser's cost per key on the whole library
// expanded, and the whole rewrite with every chart selected against copying the files
// and syncing them. Exits 1 when a target is missed.
#include <curses.h>
#include <langinfo.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/browser_timing.h"
#include "bench/file_timing.h"
#include "bench/floor.h"
#include "bench/rewrite_timing.h"
#include "bench/scan_timing.h"
#include "bench/synthetic_journals.h"
#include "bench/synthetic_library.h"
#include "library/scan.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* usage =
    "usage: rerate_bench [--songs N] [--groups N] [--rounds N] [--dir FOLDER] [--journals N]\n"
    "                    [--no-rewrite]\n"
    "  --songs N     songs in the library (default 20000)\n"
    "  --groups N    group folders (default: one per 100 songs, at least 1)\n"
    "  --rounds N    times the floor and the scan are each measured, in turn (default 3);\n"
    "                the targets compare the best of each\n"
    "  --dir FOLDER  write the library to FOLDER/Songs and keep it; a later run with the\n"
    "                same --songs and --groups reuses it instead of writing it again\n"
    "  --journals N  then the scan again with N undo journals of full rewrites beside Songs\n"
    "                (default 20; 0 leaves it out), against the scan without\n"
    "  --no-rewrite  leave out the rewrite (it writes a copy of the whole library)\n";

constexpr const char* marker_file = "rerate-bench-library.txt";
constexpr double scan_to_floor_limit = 1.5;
constexpr std::uint64_t peak_memory_limit = 32ull << 20;
constexpr double memory_per_song_limit = 2048;
constexpr double rewrite_to_copy_limit = 3.0;
constexpr double rewrite_seconds_limit = 10.0;
constexpr double journals_to_plain_limit = 1.10;

struct Options {
  LibraryShape shape{20000, 0};
  int rounds = 3;
  std::string dir;  // empty: a temporary folder, removed at the end
  bool rewrite = true;
  int journals = 20;
};

bool parse_count(const char* text, int low, int& out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > 10'000'000) return false;
  out = static_cast<int>(value);
  return true;
}

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view name = argv[i];
    bool has_value = i + 1 < argc;
    if (name == "--songs" && has_value && parse_count(argv[i + 1], 1, options.shape.songs))
      ++i;
    else if (name == "--groups" && has_value && parse_count(argv[i + 1], 1, options.shape.groups))
      ++i;
    else if (name == "--journals" && has_value && parse_count(argv[i + 1], 0, options.journals))
      ++i;
    else if (name == "--rounds" && has_value && parse_count(argv[i + 1], 1, options.rounds))
      ++i;
    else if (name == "--dir" && has_value)
      options.dir = argv[++i];
    else if (name == "--no-rewrite")
      options.rewrite = false;
    else
      return std::nullopt;
  }
  if (options.shape.groups == 0) options.shape.groups = std::max(1, options.shape.songs / 100);
  return options;
}

std::string marker_text(const LibraryShape& shape) {
  std::ostringstream text;
  text << "rerate_bench library: songs " << shape.songs << ", groups " << shape.groups << ", seed "
       << std::hex << library_seed << ", format 1\n";
  return text.str();
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The folder the library is in for this run, and whether it is removed at the end.
struct LibraryFolder {
  std::string root;
  bool temporary;
};

std::optional<LibraryFolder> make_temporary_folder() {
  std::string pattern = (fs::temp_directory_path() / "rerate-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  return LibraryFolder{pattern, true};
}

// Writes the library into the folder unless an earlier run left the same one there.
bool provide_library(const LibraryFolder& folder, const LibraryShape& shape) {
  fs::path root = folder.root;
  fs::path marker = root / marker_file;
  std::error_code error;
  if (fs::exists(root / "Songs", error)) {
    if (!fs::exists(marker, error)) {
      std::fprintf(stderr, "rerate_bench: %s/Songs exists and was not written by rerate_bench\n",
                   folder.root.c_str());
      return false;
    }
    if (read_text(marker) == marker_text(shape)) {
      std::printf("library: reusing the one in %s\n", folder.root.c_str());
      return true;
    }
    fs::remove(marker, error);
    fs::remove_all(root / "Songs", error);
  }
  std::printf("library: writing %d songs in %d groups to %s ...\n", shape.songs, shape.groups,
              folder.root.c_str());
  std::fflush(stdout);
  double start = now_seconds();
  if (!write_synthetic_library(folder.root, shape)) {
    std::fprintf(stderr, "rerate_bench: cannot write the library into %s\n", folder.root.c_str());
    return false;
  }
  std::ofstream(marker, std::ios::binary) << marker_text(shape);
  std::printf("library: written in %.1f s\n", now_seconds() - start);
  return true;
}

// The screen the scan draws its progress line into: a real curses screen whose output
// goes to /dev/null, as in the unit tests.
struct NullScreen {
  FILE* out = nullptr;
  FILE* in = nullptr;
  SCREEN* screen = nullptr;
};

bool open_null_screen(NullScreen& null_screen) {
  setenv("TERM", "xterm", 0);
  null_screen.out = std::fopen("/dev/null", "w");
  null_screen.in = std::fopen("/dev/null", "r");
  if (null_screen.out == nullptr || null_screen.in == nullptr) return false;
  null_screen.screen = newterm("xterm", null_screen.out, null_screen.in);
  if (null_screen.screen == nullptr) return false;
  set_term(null_screen.screen);
  return true;
}

void close_null_screen(NullScreen& null_screen) {
  if (null_screen.screen != nullptr) {
    endwin();
    delscreen(null_screen.screen);
  }
  if (null_screen.out != nullptr) std::fclose(null_screen.out);
  if (null_screen.in != nullptr) std::fclose(null_screen.in);
}

double megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

const char* verdict(bool pass) { return pass ? "PASS" : "FAIL"; }

void print_survey(const FileSurvey& survey) {
  std::printf(
      "song files: %d, %llu bytes (%.1f MB); sizes: min %u, median %u, 90%% %u, 99%% %u, "
      "max %u\n",
      survey.files, static_cast<unsigned long long>(survey.bytes), megabytes(survey.bytes),
      size_percentile(survey, 0), size_percentile(survey, 0.5), size_percentile(survey, 0.9),
      size_percentile(survey, 0.99), size_percentile(survey, 1));
  std::printf("            %d with a byte-order mark, %d with CR LF line ends\n",
              survey.byte_order_marks, survey.crlf_files);
}

void print_rounds(const char* what, const std::vector<double>& seconds) {
  std::printf("%-40s best %7.3f s   rounds:", what,
              *std::min_element(seconds.begin(), seconds.end()));
  for (double s : seconds) std::printf(" %.3f", s);
  std::printf("\n");
}

void print_browser_timing(const BrowserTiming& timing) {
  std::printf("browser, every group and song expanded (%d rows, list height 21), per key:\n",
              timing.rows);
  for (const KeyTiming& key : timing.keys)
    std::printf("  %-34s %5d presses   mean %10.2f us   max %10.2f us\n", key.key_name, key.presses,
                key.mean_microseconds, key.max_microseconds);
}

// The floor and the scan, in turn, `rounds` times, under the same page cache and load.
struct ScanMeasures {
  std::vector<double> floor_seconds;
  std::vector<double> scan_seconds;
  std::vector<ScanRun> runs;
  floor_result floor{};
  bool ok = true;
};

ScanMeasures measure_scans(int rounds, int cores) {
  ScanMeasures measures;
  for (int r = 0; r < rounds; ++r) {
    double start = now_seconds();
    measures.floor = read_library_floor(cores);
    measures.floor_seconds.push_back(now_seconds() - start);
    std::optional<ScanRun> run = time_scan_in_child();
    if (!run || measures.floor.failed) {
      measures.ok = false;
      break;
    }
    measures.runs.push_back(*run);
    measures.scan_seconds.push_back(run->seconds);
  }
  return measures;
}

// The scan measured again as measure_scans does, with `count` journals of full rewrites
// beside Songs (removed afterwards); nothing when they cannot be written. `megabytes_out`
// gets their size. The song files (`paths`) are read once more after the journals are
// written, so that both measures find them in the page cache.
std::optional<ScanMeasures> measure_scans_with_journals(int count, int rounds, int cores,
                                                        const std::vector<std::string>& paths,
                                                        double& megabytes_out) {
  std::vector<std::string> names = write_synthetic_journals(count);
  if (names.empty()) return std::nullopt;
  survey_files(paths);
  std::error_code error;
  std::uint64_t bytes = 0;
  for (const std::string& name : names) bytes += fs::file_size(name, error);
  megabytes_out = megabytes(bytes);
  ScanMeasures measures = measure_scans(rounds, cores);
  for (const std::string& name : names) std::remove(name.c_str());
  return measures;
}

// The browser's keys on the library scanned in this process, drawn into /dev/null.
BrowserTiming measure_browser() {
  NullScreen null_screen;
  BrowserTiming timing{};
  if (open_null_screen(null_screen)) {
    std::vector<SongGroup> groups;
    scan_library(groups);
    start_color();  // the browser's highlight, set up after the scan as the program does
    init_pair(1, COLOR_BLACK, COLOR_WHITE);
    timing = time_browser_keys(groups);
  }
  close_null_screen(null_screen);
  return timing;
}

int run_benchmark(const Options& options, const LibraryFolder& folder) {
  if (!provide_library(folder, options.shape)) return 2;
  if (chdir(folder.root.c_str()) != 0) return 2;
  double load[1] = {0};
  getloadavg(load, 1);
  int cores = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("machine: %d processors online, load average %.2f at the start\n", cores, load[0]);
  std::vector<std::string> paths = list_song_files();
  FileSurvey survey = survey_files(paths);  // also warms the page cache for every measure
  print_survey(survey);
  if (survey.unreadable > 0 || survey.files == 0) {
    std::fprintf(stderr, "rerate_bench: %d song files cannot be read\n", survey.unreadable);
    return 2;
  }
  std::fflush(stdout);

  ScanMeasures scans = measure_scans(options.rounds, cores);
  if (!scans.ok) {
    std::fprintf(stderr, "rerate_bench: the floor or the scan failed\n");
    return 2;
  }
  std::printf("\n");
  print_rounds("floor (C: list, read, count; every core):", scans.floor_seconds);
  print_rounds("start to first browser frame:", scans.scan_seconds);
  const ScanRun& first = scans.runs.front();
  std::printf(
      "  floor read %ld files, %lld bytes; the scan found %d songs, %d charts, %d unreadable\n",
      scans.floor.files, scans.floor.bytes, first.songs, first.charts, first.error_titles);
  double best_floor = *std::min_element(scans.floor_seconds.begin(), scans.floor_seconds.end());
  double best_scan = *std::min_element(scans.scan_seconds.begin(), scans.scan_seconds.end());
  std::uint64_t peak = 0;
  double per_song = 0;
  for (const ScanRun& run : scans.runs) {
    peak = std::max(peak, run.peak_memory);
    per_song = std::max(
        per_song, (static_cast<double>(run.memory_after) - static_cast<double>(run.memory_before)) /
                      run.songs);
  }
  std::printf(
      "memory of the scanning process: %.1f MB before the scan, %.1f MB holding the library\n"
      "  and the first frame, peak %.1f MB; %.0f bytes per song held\n",
      megabytes(first.memory_before), megabytes(first.memory_after), megabytes(peak), per_song);

  std::optional<ScanMeasures> journaled;
  double journal_megabytes = 0;
  if (options.journals > 0) {
    std::fflush(stdout);
    journaled = measure_scans_with_journals(options.journals, options.rounds, cores, paths,
                                            journal_megabytes);
    if (!journaled || !journaled->ok) {
      std::fprintf(stderr, "rerate_bench: the journals or the scan beside them failed\n");
      return 2;
    }
    std::printf("\n%d undo journals of full rewrites beside Songs (%.1f MB), %d charts marked:\n",
                options.journals, journal_megabytes, journaled->runs.front().rescaled);
    print_rounds("start to first browser frame:", journaled->scan_seconds);
    std::printf("  of which marking the charts rescaled before:");
    for (const ScanRun& run : journaled->runs) std::printf(" %.3f", run.marking_seconds);
    std::printf(" s; processor time:");
    for (const ScanRun& run : journaled->runs) std::printf(" %.3f", run.marking_cpu);
    std::printf(" s\n");
  }

  std::printf("\n");
  std::fflush(stdout);
  print_browser_timing(measure_browser());

  std::optional<RewriteRun> rewrite;
  if (options.rewrite) {
    std::fflush(stdout);
    rewrite = time_rewrite(paths, folder.root + "/rewrite-copy");
    if (!rewrite) {
      std::fprintf(stderr, "rerate_bench: cannot copy the library for the rewrite\n");
      return 2;
    }
    std::printf("\nrewrite, every chart selected, step 5: %d files rewritten, %d failed\n",
                rewrite->files_rewritten, rewrite->files_failed);
    std::printf("  copying the same files to a fresh folder and syncing: %.3f s\n",
                rewrite->copy_seconds);
    std::printf(
        "  rewrite_library:                                      %.3f s (%.3f ms per file)\n",
        rewrite->rewrite_seconds,
        1000 * rewrite->rewrite_seconds / std::max(1, rewrite->files_rewritten));
  }

  bool complete =
      first.songs == survey.files && first.error_titles == 0 && scans.floor.files == survey.files;
  bool time_ok = best_scan <= scan_to_floor_limit * best_floor;
  bool peak_ok = peak <= peak_memory_limit;
  bool per_song_ok = per_song <= memory_per_song_limit;
  std::printf("\ntargets:\n");
  std::printf("  every song file found:             %s (%d of %d)\n", verdict(complete),
              first.songs, survey.files);
  std::printf("  first frame <= 1.5 x floor:        %s (best %.3f s / best %.3f s = %.2f)\n",
              verdict(time_ok), best_scan, best_floor, best_scan / best_floor);
  std::printf("  peak memory <= 32 MB:              %s (%.1f MB)\n", verdict(peak_ok),
              megabytes(peak));
  std::printf("  memory per song <= 2 KB:           %s (%.0f bytes)\n", verdict(per_song_ok),
              per_song);
  bool journals_ok = true;
  if (journaled) {
    double best = *std::min_element(journaled->scan_seconds.begin(), journaled->scan_seconds.end());
    journals_ok = best <= journals_to_plain_limit * best_scan;
    std::printf("  scan with journals <= 1.1 x without: %s (best %.3f s / best %.3f s = %.2f)\n",
                verdict(journals_ok), best, best_scan, best / best_scan);
  }
  bool rewrite_ok = true;
  if (rewrite) {
    bool all_written = rewrite->files_failed == 0 && rewrite->files_rewritten == survey.files;
    bool ratio_ok = rewrite->rewrite_seconds <= rewrite_to_copy_limit * rewrite->copy_seconds;
    bool seconds_ok = rewrite->rewrite_seconds <= rewrite_seconds_limit;
    std::printf("  every song file rewritten:         %s (%d of %d)\n", verdict(all_written),
                rewrite->files_rewritten, survey.files);
    std::printf("  rewrite <= 3 x copy and sync:      %s (%.3f s / %.3f s = %.2f)\n",
                verdict(ratio_ok), rewrite->rewrite_seconds, rewrite->copy_seconds,
                rewrite->rewrite_seconds / rewrite->copy_seconds);
    std::printf("  rewrite <= 10 s:                   %s (%.3f s)\n", verdict(seconds_ok),
                rewrite->rewrite_seconds);
    rewrite_ok = all_written && ratio_ok && seconds_ok;
  }
  return complete && time_ok && peak_ok && per_song_ok && journals_ok && rewrite_ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], scan_child_argument) == 0) return run_scan_child();
  std::optional<Options> options = parse_options(argc, argv);
  if (!options) {
    std::fputs(usage, stderr);
    return 2;
  }
  // As the program does; titles are drawn as UTF-8 text, as on a user's terminal.
  std::setlocale(LC_ALL, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  std::optional<LibraryFolder> folder;
  if (options->dir.empty()) {
    folder = make_temporary_folder();
  } else {
    std::error_code error;
    fs::create_directories(options->dir, error);
    folder = LibraryFolder{fs::absolute(options->dir, error).string(), false};
  }
  if (!folder) {
    std::fprintf(stderr, "rerate_bench: cannot make a folder for the library\n");
    return 2;
  }
  int status = run_benchmark(*options, *folder);
  if (folder->temporary) {
    std::error_code error;
    fs::current_path(fs::temp_directory_path(), error);
    fs::remove_all(folder->root, error);
  }
  return status;
}
