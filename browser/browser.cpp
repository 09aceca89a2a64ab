// browser/browser.cpp: the selection browser's state and its loop.
#include "browser/browser.h"

#include <string_view>

#include "browser/browser_draw.h"
#include "browser/browser_scroll.h"
#include "terminal/help_screen.h"
#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

constexpr std::string_view browser_help_page[] = {
    "Keys in the library tree",
    "",
    "  Up/Down, k/j        move one row (wrapping around at either end)",
    "  Page Up/Page Down   move one page",
    "  Home/End, g/G       go to the first/last row",
    "  Right/Left          expand/collapse a group or song",
    "  Space/Enter         select or clear the chart, the song or the group",
    "  a / s / d           select or clear all / all Single / all Double charts",
    "  m                   select or clear by rule: mode, difficulties, meters, where",
    "  /                   search groups, song titles and folders (Enter: stay there,",
    "                      Esc: go back)",
    "  n / N               next/previous match of the last search",
    "  F5                  done: go on to the divisor screens",
    "  q / Esc             quit without changing any file",
    "  ?, h or F1          this help",
    "",
    "  [Y]   every chart of the row is selected",
    "  [*]   some of its charts are selected",
    "  + / - the group or song is collapsed/expanded",
    "  ~     after a meter: an earlier run rescaled it",
    "  The line above the keys counts the selected charts, their songs and files.",
    "",
    "Press any key to go back.",
};

}  // namespace

BrowserState make_browser_state(const std::vector<SongGroup>& groups, int list_height) {
  BrowserState state{build_rows(groups), 0, 0, list_height};
  state.counts = count_selection(groups);
  return state;
}

ScreenExit run_browser(BrowserState& state, std::vector<SongGroup>& groups) {
  state.quit = false;
  // The terminal may have been resized while another screen was shown.
  resize_browser(state, screen_lines());
  for (;;) {
    settle_scroll(state);
    draw_browser(state, groups);
    std::optional<int> key = read_key();
    if (!key) return ScreenExit::InputEnded;
    if (*key == resize_key) {
      resize_browser(state, screen_lines());
    } else if (is_help_key(*key) && state.prompt == BrowserPrompt::None) {
      std::span<const std::string_view> page = browser_help_page;
      if (state.form_open) page = rule_form_help_page();
      if (!show_page_until_key(page)) return ScreenExit::InputEnded;
    } else if (handle_browser_key(state, groups, *key)) {
      return state.quit ? ScreenExit::Quit : ScreenExit::Done;
    }
  }
}
