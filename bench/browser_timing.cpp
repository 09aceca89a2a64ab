// bench/browser_timing.cpp: key presses on a fully expanded browser, timed one by one.
#include "bench/browser_timing.h"

#include <curses.h>

#include <algorithm>
#include <cstdio>

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
constexpr int presses_of_next = 100;
constexpr int presses_with_status = 1000;
constexpr int rules_over_the_library = 40;

// Searched for from the top: a common word, a word in another script typed in upper
// case, and a text that is nowhere.
constexpr const char* search_texts[] = {"midnight", "\xC3\x9CNTERWELT", "no such title"};

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

// One key, and with `with_frame` the frame that answers it (when a screen is open).
void press(PressClock& clock, BrowserState& state, std::vector<SongGroup>& groups, int key,
           bool with_frame = false) {
  double start = now_seconds();
  handle_browser_key(state, groups, key);
  if (with_frame) {
    settle_scroll(state);
    if (stdscr != nullptr) draw_browser(state, groups);
  }
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
KeyTiming time_moving_key(BrowserState& state, std::vector<SongGroup>& groups, KeyToTime key) {
  Random random{library_seed + static_cast<unsigned>(key.key)};
  PressClock clock;
  for (int i = 0; i < presses_per_moving_key; ++i) {
    state.cursor = pick(random, 0, row_count(state.rows) - 1);
    state.top = std::max(0, state.cursor - list_height / 2);
    press(clock, state, groups, key.key);
  }
  return timing_of(key.name, clock);
}

// One frame of the browser's loop as it follows a key: the offset settled for a cursor
// anywhere in the list, then the frame drawn into the current curses screen.
void time_frames(BrowserState& state, const std::vector<SongGroup>& groups,
                 std::vector<KeyTiming>& timings) {
  Random random{library_seed + 1};
  PressClock settling;
  PressClock frames;
  for (int i = 0; i < frames_to_draw; ++i) {
    state.cursor = pick(random, 0, row_count(state.rows) - 1);
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

// Each search: "/", the text typed byte by byte and Enter, then n and N repeatedly.
void time_search(BrowserState& state, std::vector<SongGroup>& groups,
                 std::vector<KeyTiming>& timings) {
  PressClock typing;
  PressClock repeating;
  for (const char* text : search_texts) {
    state.cursor = 0;
    state.top = 0;
    press(typing, state, groups, '/', true);
    for (const char* c = text; *c != 0; ++c)
      press(typing, state, groups, static_cast<unsigned char>(*c), true);
    press(typing, state, groups, '\r', true);
    for (int i = 0; i < 2 * presses_of_next; ++i)
      press(repeating, state, groups, i < presses_of_next ? 'n' : 'N', true);
  }
  timings.push_back(timing_of("search: / text Enter, with frame", typing));
  timings.push_back(timing_of("search: n and N, with frame", repeating));
}

void clear_selection(BrowserState& state, std::vector<SongGroup>& groups) {
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      for (Chart& chart : song.charts) chart.selected = false;
  state.counts = count_selection(groups);
}

// Space on a row anywhere (a chart, a song or a group), then the status line's text as
// the frame that answers it makes it.
KeyTiming time_status_line(BrowserState& state, std::vector<SongGroup>& groups) {
  Random random{library_seed + 2};
  PressClock clock;
  std::size_t length = 0;
  for (int i = 0; i < presses_with_status; ++i) {
    state.cursor = pick(random, 0, row_count(state.rows) - 1);
    double start = now_seconds();
    handle_browser_key(state, groups, ' ');
    length += status_text(state.counts).size();
    double took = now_seconds() - start;
    clock.total += took;
    clock.longest = std::max(clock.longest, took);
    ++clock.presses;
  }
  if (length == 0)
    std::fputs("no status line\n", stderr);  // keeps the text from being optimised away
  return timing_of("Space and the status line", clock);
}

// Enter on the rule form with the rule that matches every chart of the library,
// selecting and clearing in turn.
KeyTiming time_rule_over_the_library(BrowserState& state, std::vector<SongGroup>& groups) {
  PressClock clock;
  for (int i = 0; i < rules_over_the_library; ++i) {
    handle_browser_key(state, groups, 'm');
    state.form = RuleForm{};
    state.form.rule.include_rescaled = true;
    state.form.action = i % 2 == 0 ? RuleAction::Select : RuleAction::Clear;
    press(clock, state, groups, '\r');
  }
  return timing_of("m: a rule over every chart (Enter)", clock);
}

}  // namespace

BrowserTiming time_browser_keys(std::vector<SongGroup>& groups) {
  BrowserState state = make_browser_state(groups, list_height);
  expand_every_row(state);
  BrowserTiming timing{row_count(state.rows), {}};
  if (row_count(state.rows) == 0) return timing;
  for (KeyToTime key : moving_keys) timing.keys.push_back(time_moving_key(state, groups, key));
  PressClock clock;
  for (int i = 0; i < presses_of_select_all; ++i) press(clock, state, groups, 'a');
  timing.keys.push_back(timing_of("a (all charts)", clock));
  clear_selection(state, groups);
  timing.keys.push_back(time_status_line(state, groups));
  timing.keys.push_back(time_rule_over_the_library(state, groups));
  clear_selection(state, groups);
  if (stdscr != nullptr) time_frames(state, groups, timing.keys);
  time_search(state, groups, timing.keys);
  return timing;
}
