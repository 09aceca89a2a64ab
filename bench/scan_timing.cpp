// bench/scan_timing.cpp: the scan timed in a process of its own, so that its memory is
// fresh (as in the program, which scans once) and its peak is its own.
#include "bench/scan_timing.h"

#include <curses.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "bench/file_timing.h"
#include "browser/browser.h"
#include "browser/browser_draw.h"
#include "browser/browser_scroll.h"
#include "library/scan.h"
#include "rewrite/rescaled.h"
#include "terminal/progress_line.h"
#include "terminal/terminal.h"

namespace {

// The processor time of this thread, in seconds.
double cpu_seconds() {
  struct timespec now {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

constexpr const char* result_format = "%lf %lf %lf %d %d %d %d %llu %llu %llu";

}  // namespace

int run_scan_child() {
  setenv("TERM", "xterm", 0);
  FILE* out = std::fopen("/dev/null", "w");
  FILE* in = std::fopen("/dev/null", "r");
  SCREEN* screen = newterm("xterm", out, in);
  if (screen == nullptr) return 2;
  set_term(screen);
  ScanRun run{};
  run.memory_before = current_memory_bytes();
  double start = now_seconds();
  // As the driver does it: the readers work while the progress line is shown, then the
  // library is sorted, the charts rescaled before marked, the rows built and the first
  // frame drawn.
  std::vector<SongGroup> groups;
  ScanJob job;
  if (!start_scan(job)) return 2;
  ProgressLine progress;
  while (!wait_for_scan(job, progress_refresh_interval))
    show_progress(progress, scan_progress_path(job));
  if (!finish_scan(job, groups)) return 2;
  RescaledCharts rescaled;
  double marking = now_seconds();
  double marking_cpu = cpu_seconds();
  mark_rescaled_charts(groups, rescaled);
  run.marking_seconds = now_seconds() - marking;
  run.marking_cpu = cpu_seconds() - marking_cpu;
  BrowserState state = make_browser_state(groups, getmaxy(stdscr) - 3);
  set_up_colours();
  settle_scroll(state);
  draw_browser(state, groups);
  run.seconds = now_seconds() - start;
  run.memory_after = current_memory_bytes();
  run.peak_memory = peak_memory_bytes();
  for (const SongGroup& group : groups) {
    run.songs += static_cast<int>(group.songs.size());
    for (const Song& song : group.songs) {
      run.charts += static_cast<int>(song.charts.size());
      for (const Chart& chart : song.charts) run.rescaled += chart.rescaled ? 1 : 0;
      if (song.title->starts_with("#ERROR#")) ++run.error_titles;
    }
  }
  endwin();
  delscreen(screen);
  std::printf(result_format, run.seconds, run.marking_seconds, run.marking_cpu, run.songs,
              run.charts, run.error_titles, run.rescaled,
              static_cast<unsigned long long>(run.memory_before),
              static_cast<unsigned long long>(run.memory_after),
              static_cast<unsigned long long>(run.peak_memory));
  std::printf("\n");
  return 0;
}

std::optional<ScanRun> time_scan_in_child() {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return std::nullopt;
  pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    execl("/proc/self/exe", "rerate_bench", scan_child_argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_ends[1]);
  FILE* from_child = fdopen(pipe_ends[0], "r");
  ScanRun run{};
  unsigned long long before = 0, after = 0, peak = 0;
  int got = std::fscanf(from_child, result_format, &run.seconds, &run.marking_seconds,
                        &run.marking_cpu, &run.songs, &run.charts, &run.error_titles, &run.rescaled,
                        &before, &after, &peak);
  std::fclose(from_child);
  int status = 0;
  waitpid(child, &status, 0);
  if (got != 10 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  run.memory_before = before;
  run.memory_after = after;
  run.peak_memory = peak;
  return run;
}
