// scale/options_screen.cpp: the options screen's keys, drawing and loop.
#include "scale/options_screen.h"

#include <cstdio>
#include <string_view>

#include "terminal/help_screen.h"
#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

constexpr int space_key = 32;
constexpr int enter_key = 13;
constexpr int continue_item = 2;
constexpr int continue_line = 3;  // line 2 stays empty

constexpr std::string_view options_help_page[] = {
    "Keys on the options screen",
    "",
    "  Up/Down       move between the two choices and Continue (wrapping around)",
    "  Space/Enter   switch the choice on or off, or go on with Continue",
    "  Esc           back to the library tree (the selection is kept)",
    "  ?, h or F1    this help",
    "",
    "  [Y]  the choice is on: Single and Double, or each difficulty, get a divisor of",
    "       their own",
    "",
    "Press any key to go back.",
};

char box_mark(bool on) { return on ? 'Y' : ' '; }

// Draws one item, highlighted over its whole text when it is the current one.
void draw_item(bool current, int y, const char* text) {
  put_text(y, 0, text, current ? TextStyle::Highlight : TextStyle::Plain);
}

}  // namespace

OptionsState make_options_state() { return OptionsState{false, false, 0}; }

bool handle_options_key(OptionsState& state, int key) {
  switch (key) {
  case down_key: state.item = (state.item + 1) % options_item_count; break;
  case up_key: state.item = (state.item + options_item_count - 1) % options_item_count; break;
  case space_key:
  case enter_key:
    if (state.item == 0)
      state.per_mode = !state.per_mode;
    else if (state.item == 1)
      state.per_difficulty = !state.per_difficulty;
    else
      return true;
    break;
  case escape_key: state.back = true; return true;
  }
  return false;
}

void draw_options_screen(const OptionsState& state) {
  clear_screen();
  char text[64];
  std::snprintf(text, sizeof text, "[%c] Use different multiplier for Single/Double",
                box_mark(state.per_mode));
  draw_item(state.item == 0, 0, text);
  std::snprintf(text, sizeof text, "[%c] Use different multiplier per difficulty",
                box_mark(state.per_difficulty));
  draw_item(state.item == 1, 1, text);
  draw_item(state.item == continue_item, continue_line, "Continue");
  show_screen();
}

ScreenExit run_options_screen(OptionsState& state) {
  state.back = false;
  for (;;) {
    draw_options_screen(state);
    std::optional<int> key = read_key();
    if (!key) return ScreenExit::InputEnded;
    if (is_help_key(*key)) {
      if (!show_page_until_key(options_help_page)) return ScreenExit::InputEnded;
    } else if (handle_options_key(state, *key)) {
      return state.back ? ScreenExit::Back : ScreenExit::Done;
    }
  }
}
