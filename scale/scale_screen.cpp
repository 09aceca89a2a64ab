// scale/scale_screen.cpp: the scale screens' keys, drawing and loop.
#include "scale/scale_screen.h"

#include <curses.h>

#include <algorithm>
#include <string>

#include "terminal/terminal.h"

namespace {

constexpr int space_key = 32;
constexpr int enter_key = 13;
constexpr int last_mode = mode_count - 1;
constexpr int last_difficulty = difficulty_count - 1;

// Gives `step` to every cell the current screen covers.
void set_covered_steps(ScaleState& state, int step) {
  for (int mode = 0; mode < mode_count; ++mode) {
    if (state.mode_pos != -1 && state.mode_pos != mode) continue;
    for (int difficulty = 0; difficulty < difficulty_count; ++difficulty) {
      if (state.difficulty_pos != -1 && state.difficulty_pos != difficulty) continue;
      state.table.steps[mode][difficulty] = step;
    }
  }
}

// Goes on to the next screen: the next difficulty, else the next mode from its first
// difficulty. Returns true when there is none.
bool next_screen(ScaleState& state) {
  if (state.difficulty_pos != -1 && state.difficulty_pos != last_difficulty) {
    ++state.difficulty_pos;
    return false;
  }
  if (state.mode_pos != -1 && state.mode_pos != last_mode) {
    ++state.mode_pos;
    if (state.difficulty_pos == last_difficulty) state.difficulty_pos = 0;
    return false;
  }
  return true;
}

}  // namespace

ScaleState make_scale_state(const OptionsState& options) {
  ScaleState state{};
  for (auto& row : state.table.steps) std::fill(std::begin(row), std::end(row), start_step);
  state.mode_pos = options.per_mode ? 0 : -1;
  state.difficulty_pos = options.per_difficulty ? 0 : -1;
  return state;
}

int shown_step(const ScaleState& state) {
  return state.table.steps[std::max(state.mode_pos, 0)][std::max(state.difficulty_pos, 0)];
}

bool handle_scale_key(ScaleState& state, int key) {
  switch (key) {
    case KEY_LEFT: set_covered_steps(state, std::max(shown_step(state) - 1, first_step)); break;
    case KEY_RIGHT: set_covered_steps(state, std::min(shown_step(state) + 1, last_step)); break;
    case space_key:
    case enter_key: return next_screen(state);
  }
  return false;
}

void draw_scale_screen(const ScaleState& state) {
  wclear(stdscr);
  int y = 0;
  if (state.mode_pos != -1) {
    std::string name(mode_name(static_cast<Mode>(state.mode_pos)));
    mvwprintw(stdscr, y++, 0, "Mode: %s", name.c_str());
  }
  if (state.difficulty_pos != -1) {
    std::string name(difficulty_name(static_cast<Difficulty>(state.difficulty_pos)));
    mvwprintw(stdscr, y++, 0, "Difficulty: %s", name.c_str());
  }
  mvwaddstr(stdscr, y, 0, "Use arrow keys set a rating scale. Press Space/Enter to continue.");
  int step = shown_step(state);
  mvwprintw(stdscr, y + 1, 0, "%c 1.%d %c", step > first_step ? '<' : ' ', step,
            step < last_step ? '>' : ' ');
  for (int meter = first_preview_meter; meter <= last_preview_meter; ++meter)
    mvwprintw(stdscr, y + 3 + (meter - first_preview_meter), 0, "%2d -> %2d", meter,
              convert_meter(meter, step));
  wrefresh(stdscr);
}

bool run_scale_screen_loop(ScaleState& state) {
  for (;;) {
    draw_scale_screen(state);
    std::optional<int> key = read_key();
    if (!key) return false;
    if (handle_scale_key(state, *key)) return true;
  }
}
