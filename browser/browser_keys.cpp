// browser/browser_keys.cpp: what each key does to the cursor, the rows' `expanded`
// flags and the charts' `selected` flags, and which keys open the prompt line. No curses
// call is made here; the key codes are plain numbers.
#include <algorithm>
#include <string>

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

// Space or Enter: a fully selected group or song is cleared, anything else filled.
void toggle_row(BrowserState& state, std::vector<SongGroup>& groups) {
  const TreeRow& row = item_at(state.rows, state.cursor);
  SelectionCounts& counts = state.counts;
  if (is_group_row(row)) {
    bool all = item_at(counts.group_selected, row.group) == item_at(counts.group_charts, row.group);
    return set_group_selected(counts, groups, row.group, !all);
  }
  const Song& song = item_at(item_at(groups, row.group).songs, row.song);
  if (is_song_row(row)) {
    bool all = selected_in_song(counts, row.group, row.song) == std::ssize(song.charts);
    return set_song_selected(counts, groups, row.group, row.song, !all);
  }
  bool selected = item_at(song.charts, row.chart).selected;
  set_chart_selected(counts, groups, row.group, row.song, row.chart, !selected);
}

void toggle_all(BrowserState& state, std::vector<SongGroup>& groups) {
  bool all = state.counts.charts == state.counts.all_charts;
  for (int g = 0; g < std::ssize(groups); ++g) set_group_selected(state.counts, groups, g, !all);
}

bool all_of_mode_selected(const std::vector<SongGroup>& groups, Mode mode) {
  for (const SongGroup& group : groups)
    for (const Song& song : group.songs)
      for (const Chart& chart : song.charts)
        if (chart.mode == mode && !chart.selected) return false;
  return true;
}

// s and d: every chart of one mode is cleared when all are selected, else selected.
void toggle_mode(BrowserState& state, std::vector<SongGroup>& groups, Mode mode) {
  ChartRule rule;
  rule.modes = {mode == Mode::Single, mode == Mode::Double};
  rule.include_rescaled = true;
  RuleAction action = all_of_mode_selected(groups, mode) ? RuleAction::Clear : RuleAction::Select;
  apply_rule(state.counts, groups, rule, library_scope(groups), action);
}

void open_rule_form(BrowserState& state) {
  state.form_open = true;
  state.form.meters_wrong = false;
}

// The songs the last search found: those whose title holds its text, and every song of a
// group whose name holds it.
SongScope search_scope(const BrowserState& state, const std::vector<SongGroup>& groups) {
  SongScope scope;
  int group_taken = -1;  // the group whose songs are all in the scope already
  for (int r : rows_holding(state.index, fold_case(state.search_text))) {
    const TreeRow& row = item_at(state.rows, r);
    if (is_group_row(row)) {
      SongScope songs = group_scope(groups, row.group);
      scope.insert(scope.end(), songs.begin(), songs.end());
      group_taken = row.group;
    } else if (row.group != group_taken) {
      scope.push_back(SongPlace{row.group, row.song});
    }
  }
  return scope;
}

SongScope form_scope(const BrowserState& state, const std::vector<SongGroup>& groups) {
  switch (state.form.where) {
  case RuleWhere::Group: return group_scope(groups, item_at(state.rows, state.cursor).group);
  case RuleWhere::SearchMatches: return search_scope(state, groups);
  case RuleWhere::Library: break;
  }
  return library_scope(groups);
}

std::string rule_message(const RuleOutcome& outcome, RuleAction action) {
  std::string text = "Rule: " + std::to_string(outcome.changed) + " of " +
                     std::to_string(outcome.matched) + " matching charts " +
                     (action == RuleAction::Select ? "selected" : "cleared");
  if (outcome.rescaled_left_out > 0)
    text += "; " + std::to_string(outcome.rescaled_left_out) + " rescaled before left out";
  return text;
}

void handle_form_key(BrowserState& state, std::vector<SongGroup>& groups, int key) {
  RuleFormStep step = handle_rule_form_key(state.form, key, !state.search_text.empty());
  if (step == RuleFormStep::Stay) return;
  state.form_open = false;
  if (step == RuleFormStep::Cancel) return;
  RuleOutcome outcome = apply_rule(state.counts, groups, *rule_of_form(state.form),
                                   form_scope(state, groups), state.form.action);
  state.message = rule_message(outcome, state.form.action);
}

}  // namespace

bool handle_browser_key(BrowserState& state, std::vector<SongGroup>& groups, int key) {
  state.message.clear();
  if (state.form_open) {
    handle_form_key(state, groups, key);
    return false;
  }
  if (state.prompt != BrowserPrompt::None) return handle_prompt_key(state, key);
  if (key == f5_key) return true;
  if (key == 'q' || key == escape_key) {
    state.prompt = BrowserPrompt::ConfirmQuit;
    return false;
  }
  if (row_count(state.rows) == 0) return false;  // nothing to move over, search or select
  // The search index is built when first needed (a search, or a rule over the songs a
  // search found), so that the first frame does not wait for it.
  if ((key == '/' || key == 'n' || key == 'N' || key == 'm') && state.index.entries.empty())
    state.index = build_search_index(state.rows, groups);
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
  case 'a': toggle_all(state, groups); break;
  case 's': toggle_mode(state, groups, Mode::Single); break;
  case 'd': toggle_mode(state, groups, Mode::Double); break;
  case 'm': open_rule_form(state); break;
  case '/': start_search(state); break;
  case 'n': repeat_search(state, true); break;
  case 'N': repeat_search(state, false); break;
  }
  return false;
}

void resize_browser(BrowserState& state, int screen_lines) { state.list_height = screen_lines - 3; }
