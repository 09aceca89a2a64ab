// bench/scan_timing.h: the program's way from start to the first browser frame, timed in
// a fresh process, with the memory it takes.
#pragma once

#include <cstdint>
#include <optional>

// What one run of the scan in a fresh process measured.
struct ScanRun {
  double seconds;          // from the start of the scan to the first frame drawn
  double marking_seconds;  // of which marking the charts rescaled before
  double marking_cpu;      // the processor time that marking took (the machine may be busy)
  int songs;
  int charts;
  int error_titles;
  int rescaled;                 // charts marked rescaled before, from the journals beside Songs
  std::uint64_t memory_before;  // resident before the scan started
  std::uint64_t memory_after;   // resident with the library held and the frame drawn
  std::uint64_t peak_memory;    // the process's peak resident memory
};

// The argument that makes rerate_bench run as that fresh process.
constexpr const char* scan_child_argument = "--scan-child";

// Starts rerate_bench again as a child in the working folder and returns what it
// measured; nothing when it failed.
std::optional<ScanRun> time_scan_in_child();

// The child's side: scans the working folder as the program does, showing progress,
// marking the charts the journals there say were rescaled, and then the first browser frame in a
// curses screen on /dev/null, and prints what it measured on standard output. Returns the exit
// status.
int run_scan_child();
