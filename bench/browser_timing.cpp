// bench/browser_timing.cpp: key presses on a fully expanded browser, timed one by one.
#include "bench/browser_timing.h"

#include <curses.h>

#include <algorithm>

#include "bench/file_timing.h"
#include "bench/synthetic_library.h"
#include "browser/browser.h"
#include "browser/browser_draw.h"
#include "browser/browser_scroll.h"

namespace {

constexpr int list_height = 21;
constexpr int presses_per_moving_key = 1000;
constexpr int presses_of_select_all = 300;
constexpr int frames_to_draw = 200;

struct KeyToTime {
  const char* name;
  int key;
};

constexpr KeyToTime moving_keys[] = {{"Down", KEY_DOWN},
                                     {"Up", KEY_UP},
                                     {"Page Down", KEY_NPAGE},
                                     {"Page Up", KEY_PPAGE},
                                     {"End", KEY_END}};

void expand_every_row(BrowserState& state) {
  for (TreeRow& row : state.rows) row.expanded = true;
}

// Accumulates the time of single presses.
struct PressClock {
  double total = 0;
  double longest = 0;
  int presses = 0;
};

void press(PressClock& clock, BrowserState& state, GrowArray<SongGroup>& groups, int key) {
  double start = now_seconds();
  handle_browser_key(state, groups, key);
  double took = now_seconds() - start;
  clock.total += took;
  clock.longest = std::max(clock.longest, took);
  ++clock.presses;
}

KeyTiming timing_of(const char* name, const PressClock& clock) {
  double mean = clock.presses > 0 ? clock.total / clock.presses : 0;
  return KeyTiming{name, clock.presses, mean * 1e6, clock.longest * 1e6};
}

// Each press starts from a cursor somewhere in the list, scrolled as a frame would leave
// it (the cursor row some lines below the top of the list).
KeyTiming time_moving_key(BrowserState& state, GrowArray<SongGroup>& groups, KeyToTime key) {
  Random random{library_seed + static_cast<unsigned>(key.key)};
  PressClock clock;
  for (int i = 0; i < presses_per_moving_key; ++i) {
    state.cursor = pick(random, 0, state.rows.count - 1);
    state.top = std::max(0, state.cursor - list_height / 2);
    press(clock, state, groups, key.key);
  }
  return timing_of(key.name, clock);
}

// One frame of the browser's loop as it follows a key: the offset settled for a cursor
// anywhere in the list, then the frame drawn into the current curses screen.
void time_frames(BrowserState& state, const GrowArray<SongGroup>& groups,
                 std::vector<KeyTiming>& timings) {
  Random random{library_seed + 1};
  PressClock settling;
  PressClock frames;
  for (int i = 0; i < frames_to_draw; ++i) {
    state.cursor = pick(random, 0, state.rows.count - 1);
    double start = now_seconds();
    settle_scroll(state);
    double settled = now_seconds();
    draw_browser(state, groups);
    double drawn = now_seconds();
    settling.total += settled - start;
    settling.longest = std::max(settling.longest, settled - start);
    ++settling.presses;
    frames.total += drawn - start;
    frames.longest = std::max(frames.longest, drawn - start);
    ++frames.presses;
  }
  timings.push_back(timing_of("scroll settling", settling));
  timings.push_back(timing_of("whole frame", frames));
}

void clear_selection(GrowArray<SongGroup>& groups) {
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      for (Chart& chart : song.charts) chart.selected = false;
}

}  // namespace

BrowserTiming time_browser_keys(GrowArray<SongGroup>& groups) {
  BrowserState state = make_browser_state(groups, list_height);
  expand_every_row(state);
  BrowserTiming timing{state.rows.count, {}};
  if (state.rows.count == 0) return timing;
  for (KeyToTime key : moving_keys) timing.keys.push_back(time_moving_key(state, groups, key));
  PressClock clock;
  for (int i = 0; i < presses_of_select_all; ++i) press(clock, state, groups, 'a');
  timing.keys.push_back(timing_of("a (all charts)", clock));
  clear_selection(groups);
  if (stdscr != nullptr) time_frames(state, groups, timing.keys);
  return timing;
}
