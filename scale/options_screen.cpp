// scale/options_screen.cpp: the options screen's keys, drawing and loop.
#include "scale/options_screen.h"

#include <curses.h>

#include <cstdio>

#include "terminal/terminal.h"

namespace {

constexpr int space_key = 32;
constexpr int enter_key = 13;
constexpr int continue_item = 2;
constexpr int continue_line = 3;  // line 2 stays empty

char box_mark(bool on) {
  return on ? 'Y' : ' ';
}

// Draws one item, highlighted over its whole text when it is the current one.
void draw_item(bool current, int y, const char* text) {
  if (current) wattron(stdscr, highlight_attribute());
  mvwaddstr(stdscr, y, 0, text);
  if (current) wattroff(stdscr, highlight_attribute());
}

}  // namespace

OptionsState make_options_state() {
  return OptionsState{false, false, 0};
}

bool handle_options_key(OptionsState& state, int key) {
  switch (key) {
    case KEY_DOWN: state.item = (state.item + 1) % options_item_count; break;
    case KEY_UP: state.item = (state.item + options_item_count - 1) % options_item_count; break;
    case space_key:
    case enter_key:
      if (state.item == 0)
        state.per_mode = !state.per_mode;
      else if (state.item == 1)
        state.per_difficulty = !state.per_difficulty;
      else
        return true;
      break;
  }
  return false;
}

void draw_options_screen(const OptionsState& state) {
  wclear(stdscr);
  char text[64];
  std::snprintf(text, sizeof text, "[%c] Use different multiplier for Single/Double",
                box_mark(state.per_mode));
  draw_item(state.item == 0, 0, text);
  std::snprintf(text, sizeof text, "[%c] Use different multiplier per difficulty",
                box_mark(state.per_difficulty));
  draw_item(state.item == 1, 1, text);
  draw_item(state.item == continue_item, continue_line, "Continue");
  wrefresh(stdscr);
}

bool run_options_screen(OptionsState& state) {
  for (;;) {
    draw_options_screen(state);
    std::optional<int> key = read_key();
    if (!key) return false;
    if (handle_options_key(state, *key)) return true;
  }
}
