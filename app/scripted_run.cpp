// app/scripted_run.cpp: the rescale and the listing without screens.
#include "app/scripted_run.h"

#include <stdio.h>  // fopencookie
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_steps.h"
#include "library/dir_search.h"
#include "rewrite/rescaled.h"
#include "rewrite/rewriter.h"
#include "songfile/text.h"

namespace {

// A line on standard error rewritten in place, shown only when standard error is a
// terminal: a script that keeps its errors in a file gets no progress in it.
struct StatusLine {
  bool on = isatty(STDERR_FILENO) != 0;
  std::string shown;
};

void show_status(StatusLine& line, const std::string& text) {
  if (!line.on || text == line.shown) return;
  std::fprintf(stderr, "\r\033[K%s", text.c_str());
  std::fflush(stderr);
  line.shown = text;
}

void clear_status(StatusLine& line) {
  if (line.shown.empty()) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  line.shown.clear();
}

// The report on its way to standard output, counting the files it reports to show how
// far the rewrite is: each file's outcome starts a line with one of these words.
struct CountingReport {
  StatusLine* status;
  std::int64_t files;  // the files to be written
  std::int64_t done = 0;
  bool line_start = true;
};

bool starts_file_line(std::string_view text) {
  for (std::string_view word :
       {"Rewriting ", "Failed to write to ", "Not rewriting ", "Would rewrite "})
    if (text.starts_with(word)) return true;
  return false;
}

ssize_t write_counted(void* cookie, const char* data, std::size_t size) {
  CountingReport& report = *static_cast<CountingReport*>(cookie);
  std::string_view text(data, size);
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    if (report.line_start && starts_file_line(text.substr(at))) ++report.done;
    report.line_start = text[end - 1] == '\n';
    at = end;
  }
  // The status line is taken away while the report is written, as both may go to the
  // same terminal, and drawn again below it.
  clear_status(*report.status);
  std::size_t written = std::fwrite(data, 1, size, stdout);
  if (written == size && std::fflush(stdout) != 0) written = 0;
  show_status(*report.status,
              "Writing song files: " + std::to_string(std::min(report.done, report.files)) +
                  " of " + std::to_string(report.files));
  return written == size ? static_cast<ssize_t>(size) : -1;
}

// Rewrites the selected charts with `table`, the report on standard output; progress on
// standard error when it is a terminal.
RewriteOutcome rewrite_with_progress(const std::vector<SongGroup>& groups, const ScaleTable& table,
                                     std::int64_t files, const RewriteSettings& settings) {
  StatusLine status;
  CountingReport counting{&status, files};
  cookie_io_functions_t calls{nullptr, write_counted, nullptr, nullptr};
  std::FILE* report = fopencookie(&counting, "w", calls);
  if (report == nullptr) return rewrite_library(groups, table, stdout, settings);
  RewriteOutcome outcome = rewrite_library(groups, table, report, settings);
  std::fclose(report);  // the rewrite flushed every line of it already
  clear_status(status);
  return outcome;
}

// Scans the library and marks the charts rescaled before, without removing any temporary
// file (only a run holding the lock may) unless `locked`; says on standard error why it
// could not. Progress on standard error when it is a terminal.
bool scan_for_script(std::vector<SongGroup>& groups, RescaledCharts& rescaled, bool locked,
                     int& status) {
  if (!is_directory("Songs")) {
    std::fprintf(stderr, "rerate: %s\n", songs_missing);
    status = 1;
    return false;
  }
  StatusLine line;
  ScanOutcome scanned = scan_songs(
      groups,
      [&](ScanJob& job) {
        ScanCount count = scan_count(job);
        show_status(line, "Reading song files: " + std::to_string(count.taken) + " of " +
                              std::to_string(count.folders));
      },
      locked);
  clear_status(line);
  if (scanned == ScanOutcome::Read) {
    mark_rescaled_charts(groups, rescaled);
    return true;
  }
  if (scanned == ScanOutcome::Unsearchable)
    std::fprintf(stderr, "rerate: %s\n", songs_unsearchable);
  status = scanned == ScanOutcome::Unsearchable ? 1 : report_out_of_memory(Phase::BeforeRewrite);
  return false;
}

}  // namespace

int run_scripted_rescale(const CommandLine& line) {
  return guard_memory([&](Phase& phase) {
    // A dry run changes nothing and takes no lock: it may look while another run writes.
    std::optional<RunLock> lock;
    if (!line.dry_run && is_directory("Songs") && !(lock = lock_or_say_why("."))) return 1;
    std::vector<SongGroup> groups;
    RescaledCharts rescaled;
    int status = 0;
    if (!scan_for_script(groups, rescaled, lock.has_value(), status)) return status;
    ScaleTable table = resolve_divisors(line.divisors);
    SelectionCounts counts = count_selection(groups);
    select_named_charts(counts, groups, line.selection, kinds_with_steps(table));
    if (counts.charts == 0) {
      std::fputs("No chart matches the selection: no song file was changed.\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    phase = Phase::Rewriting;
    RewriteOutcome outcome = rewrite_with_progress(
        groups, table, counts.files, report_settings(line.dry_run, rescaled, line.library));
    return end_of_rewrite(outcome, false, line.dry_run);
  });
}

int run_listing(const CommandLine& line) {
  return guard_memory([&](Phase&) {
    std::vector<SongGroup> groups;
    RescaledCharts rescaled;
    int status = 0;
    if (!scan_for_script(groups, rescaled, false, status)) return status;
    bool every = !names_anything(line.selection);
    if (!every) {
      SelectionCounts counts = count_selection(groups);
      select_named_charts(counts, groups, line.selection, every_kind());
    }
    for (const SongGroup& group : groups) {
      std::string group_name = escape_controls(group.name);
      for (const Song& song : group.songs) {
        std::string start = group_name + '\t' + escape_controls(song.folder) + '\t' +
                            escape_controls(song.file) + '\t';
        for (const Chart& chart : song.charts)
          if (every || chart.selected)
            std::fprintf(stdout, "%s%s\t%s\t%d\t%s\n", start.c_str(),
                         std::string(mode_name(chart.mode)).c_str(),
                         std::string(difficulty_name(chart.difficulty)).c_str(), chart.meter,
                         chart.rescaled ? "yes" : "no");
      }
    }
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return 0;
    std::fputs("rerate: the listing could not be written\n", stderr);
    return 1;
  });
}
