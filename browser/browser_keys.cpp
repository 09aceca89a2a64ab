// browser/browser_keys.cpp: what each key does to the cursor, the rows' `expanded`
// flags and the charts' `selected` flags, and which keys open the prompt line. No curses
// call is made here; the key codes are plain numbers.
#include <algorithm>

#include "browser/browser.h"

namespace {

constexpr int key_enter = 13;  // Enter, with newline translation off
constexpr int key_space = 32;

int last_visible_row(const BrowserState& state) {
  return previous_visible_row(state.rows, row_count(state.rows));
}

// A page is a list height of rows, and at least one row on a screen too small for a list.
int page_rows(const BrowserState& state) { return std::max(state.list_height, 1); }

void move_up(BrowserState& state) {
  state.cursor =
      state.cursor >= 1 ? previous_visible_row(state.rows, state.cursor) : last_visible_row(state);
}

void move_down(BrowserState& state) {
  int next = next_visible_row(state.rows, state.cursor);
  state.cursor = next < row_count(state.rows) ? next : 0;
}

void page_down(BrowserState& state) {
  for (int i = 0; i < page_rows(state) && state.cursor < row_count(state.rows); ++i)
    state.cursor = next_visible_row(state.rows, state.cursor);
  if (state.cursor == row_count(state.rows)) state.cursor = last_visible_row(state);
}

void page_up(BrowserState& state) {
  for (int i = 0; i < page_rows(state) && state.cursor >= 1; ++i)
    state.cursor = previous_visible_row(state.rows, state.cursor);
}

// Left: a collapsed song or a chart hands the collapse on to the row above it.
void collapse_row(BrowserState& state) {
  TreeRow& row = item_at(state.rows, state.cursor);
  if (is_chart_row(row))
    state.cursor = song_row_of(state.rows, state.cursor);
  else if (is_song_row(row) && !row.expanded)
    state.cursor = group_row_of(state.rows, state.cursor);
  item_at(state.rows, state.cursor).expanded = false;
}

// Right: shows the row's children and steps onto the row after it.
void expand_row(BrowserState& state) {
  TreeRow& row = item_at(state.rows, state.cursor);
  if (is_chart_row(row)) return;
  row.expanded = true;
  if (state.cursor + 1 < row_count(state.rows)) ++state.cursor;
}

void set_song(Song& song, bool selected) {
  for (Chart& chart : song.charts) chart.selected = selected;
}

void set_group(SongGroup& group, bool selected) {
  for (Song& song : group.songs) set_song(song, selected);
}

// Space or Enter: a fully selected group or song is cleared, anything else filled.
void toggle_row(BrowserState& state, std::vector<SongGroup>& groups) {
  const TreeRow& row = item_at(state.rows, state.cursor);
  SongGroup& group = item_at(groups, row.group);
  if (is_group_row(row)) return set_group(group, !group_marks(group).all);
  Song& song = item_at(group.songs, row.song);
  if (is_song_row(row)) return set_song(song, !song_marks(song).all);
  Chart& chart = item_at(song.charts, row.chart);
  chart.selected = !chart.selected;
}

void toggle_all(std::vector<SongGroup>& groups) {
  bool all = std::all_of(groups.begin(), groups.end(),
                         [](const SongGroup& group) { return group_marks(group).all; });
  for (SongGroup& group : groups) set_group(group, !all);
}

bool all_of_mode_selected(const std::vector<SongGroup>& groups, Mode mode) {
  for (const SongGroup& group : groups)
    for (const Song& song : group.songs)
      for (const Chart& chart : song.charts)
        if (chart.mode == mode && !chart.selected) return false;
  return true;
}

void toggle_mode(std::vector<SongGroup>& groups, Mode mode) {
  bool selected = !all_of_mode_selected(groups, mode);
  for (SongGroup& group : groups)
    for (Song& song : group.songs)
      for (Chart& chart : song.charts)
        if (chart.mode == mode) chart.selected = selected;
}

}  // namespace

bool handle_browser_key(BrowserState& state, std::vector<SongGroup>& groups, int key) {
  state.message.clear();
  if (state.prompt != BrowserPrompt::None) return handle_prompt_key(state, key);
  if (key == f5_key) return true;
  if (key == 'q' || key == escape_key) {
    state.prompt = BrowserPrompt::ConfirmQuit;
    return false;
  }
  if (row_count(state.rows) == 0) return false;  // nothing to move over, search or select
  switch (key) {
  case up_key:
  case 'k': move_up(state); break;
  case down_key:
  case 'j': move_down(state); break;
  case page_down_key: page_down(state); break;
  case page_up_key: page_up(state); break;
  case home_key:
  case 'g': state.cursor = 0; break;
  case end_key:
  case 'G': state.cursor = last_visible_row(state); break;
  case left_key: collapse_row(state); break;
  case right_key: expand_row(state); break;
  case key_space:
  case key_enter: toggle_row(state, groups); break;
  case 'a': toggle_all(groups); break;
  case 's': toggle_mode(groups, Mode::Single); break;
  case 'd': toggle_mode(groups, Mode::Double); break;
  case '/': start_search(state); break;
  case 'n': repeat_search(state, true); break;
  case 'N': repeat_search(state, false); break;
  }
  return false;
}

void resize_browser(BrowserState& state, int screen_lines) { state.list_height = screen_lines - 3; }
