// browser/browser_draw.cpp: painting the rows and the help lines.
//
// Each row is a plain prefix (expander and mark) followed by its name part; names and
// titles go to the screen as plain text with their control characters escaped, and every
// line is cut at the right edge of the screen.
#include "browser/browser_draw.h"

#include <algorithm>
#include <string>

#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

// Columns of the prefix and of the name part, per row kind.
constexpr int group_prefix_column = 0;
constexpr int group_name_column = 5;
constexpr int song_prefix_column = 4;
constexpr int song_name_column = 9;
constexpr int chart_prefix_column = 8;
constexpr int chart_name_column = 12;

struct RowText {
  int prefix_column;
  std::string prefix;
  int name_column;
  std::string name;
};

std::string with_count(const std::string& name, std::size_t count, const char* noun) {
  return name + " (" + std::to_string(count) + " " + noun + ")";
}

std::string box(char expander, char mark) { return {expander, '[', mark, ']'}; }

RowText group_text(const TreeRow& row, const SongGroup& group, const SelectionCounts& counts) {
  std::string prefix = box(expander_char(row), mark_char(item_at(counts.group_selected, row.group),
                                                         item_at(counts.group_charts, row.group)));
  std::string name =
      row.expanded ? group.name : with_count(group.name, group.songs.size(), "songs");
  return {group_prefix_column, prefix, group_name_column, name};
}

RowText song_text(const TreeRow& row, const Song& song, const SelectionCounts& counts) {
  const std::string& title = song.title ? *song.title : std::string();
  std::int64_t selected = selected_in_song(counts, row.group, row.song);
  std::string prefix =
      box(expander_char(row), mark_char(selected, static_cast<std::int64_t>(song.charts.size())));
  std::string name = row.expanded ? title : with_count(title, song.charts.size(), "charts");
  return {song_prefix_column, prefix, song_name_column, name};
}

RowText chart_text(const Chart& chart) {
  std::string prefix = {'[', chart.selected ? 'Y' : ' ', ']'};
  std::string name = std::string(mode_name(chart.mode)) + " " +
                     std::string(difficulty_name(chart.difficulty)) + " " +
                     std::to_string(chart.meter) + (chart.rescaled ? "~" : "");
  return {chart_prefix_column, prefix, chart_name_column, name};
}

RowText row_text(const TreeRow& row, const std::vector<SongGroup>& groups,
                 const SelectionCounts& counts) {
  const SongGroup& group = item_at(groups, row.group);
  if (is_group_row(row)) return group_text(row, group, counts);
  const Song& song = item_at(group.songs, row.song);
  if (is_song_row(row)) return song_text(row, song, counts);
  return chart_text(item_at(song.charts, row.chart));
}

void draw_row(int line, const RowText& text, bool is_cursor) {
  put_text(line, text.prefix_column, text.prefix);
  put_text(line, text.name_column, text.name, is_cursor ? TextStyle::Highlight : TextStyle::Plain);
}

void draw_list(const BrowserState& state, const std::vector<SongGroup>& groups, int lines) {
  int row = 0;
  for (int v = 0; v < state.top && row < row_count(state.rows); ++v)
    row = next_visible_row(state.rows, row);
  for (int line = 0; line < lines && row < row_count(state.rows); ++line) {
    draw_row(line, row_text(item_at(state.rows, row), groups, state.counts), row == state.cursor);
    row = next_visible_row(state.rows, row);
  }
}

// "1 chart", "2 charts".
std::string count_of(std::int64_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What takes the line above the help lines: the search prompt, the quit question, or
// the last message.
std::string prompt_text(const BrowserState& state) {
  switch (state.prompt) {
  case BrowserPrompt::Search:
    return "/" + state.search_text + (state.search_failed ? "  (not found)" : "");
  case BrowserPrompt::ConfirmQuit: return browser_quit_question;
  case BrowserPrompt::None: break;
  }
  return state.message;
}

void draw_tree(const BrowserState& state, const std::vector<SongGroup>& groups) {
  int lines = screen_lines();
  int list_lines = std::min(state.list_height, lines);
  clear_screen();
  draw_list(state, groups, list_lines);
  put_text(lines - 2, 0, browser_help_keys);
  put_text(lines - 1, 0, browser_help_toggles);
  // On a screen too short for a line of its own, the prompt takes a help line's place;
  // the status line is left out there.
  std::string prompt = prompt_text(state);
  if (prompt.empty() && lines >= 3) prompt = status_text(state.counts);
  if (!prompt.empty()) {
    clear_line(std::max(lines - 3, 0));
    put_text(std::max(lines - 3, 0), 0, prompt);
  }
}

}  // namespace

std::string status_text(const SelectionCounts& counts) {
  std::string text = "Selected: " + count_of(counts.charts, "chart") + " in " +
                     count_of(counts.songs, "song") + ", " + count_of(counts.files, "file");
  if (counts.rescaled > 0) text += " (" + std::to_string(counts.rescaled) + " rescaled before)";
  return text + "   ? help";
}

void draw_browser(const BrowserState& state, const std::vector<SongGroup>& groups) {
  if (state.form_open) {
    const std::string& group = item_at(groups, item_at(state.rows, state.cursor).group).name;
    draw_rule_form(state.form, group, state.search_text);
    return;
  }
  draw_tree(state, groups);
  show_screen();
}
