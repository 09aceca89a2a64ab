// scale/scale_screen.cpp: the scale screens' keys, drawing and loop.
#include "scale/scale_screen.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "terminal/help_screen.h"
#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

constexpr int space_key = 32;
constexpr int enter_key = 13;
constexpr int last_mode = mode_count - 1;
constexpr int last_difficulty = difficulty_count - 1;

constexpr std::string_view scale_help_page[] = {
    "Keys on a divisor screen",
    "",
    "  Left/Right    lower/raise the divisor, from 1.1 to 1.9",
    "  Space/Enter   keep it and go on; on the last screen the rewrite starts at once",
    "  Esc           back to the screen before (the divisors chosen are kept)",
    "  ?, h or F1    this help",
    "",
    "The lines below the divisor show what meters 7 to 19 become.",
    "",
    "Press any key to go back.",
};

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

// Goes back to the screen before: the previous difficulty, else the previous mode from
// its last difficulty. Returns false on the first screen.
bool previous_screen(ScaleState& state) {
  if (state.difficulty_pos > 0) {
    --state.difficulty_pos;
    return true;
  }
  if (state.mode_pos > 0) {
    --state.mode_pos;
    if (state.difficulty_pos == 0) state.difficulty_pos = last_difficulty;
    return true;
  }
  return false;
}

}  // namespace

ScaleState make_scale_state(const OptionsState& options) {
  ScaleState state{};
  for (auto& row : state.table.steps) std::fill(std::begin(row), std::end(row), start_step);
  state.mode_pos = options.per_mode ? 0 : -1;
  state.difficulty_pos = options.per_difficulty ? 0 : -1;
  return state;
}

ScaleState resume_scale_state(const OptionsState& options, const ScaleTable& kept) {
  ScaleState state = make_scale_state(options);
  state.table = kept;
  do {
    set_covered_steps(state, shown_step(state));
  } while (!next_screen(state));
  ScaleState first = make_scale_state(options);
  first.table = state.table;
  return first;
}

int shown_step(const ScaleState& state) {
  return state.table.steps[std::max(state.mode_pos, 0)][std::max(state.difficulty_pos, 0)];
}

bool handle_scale_key(ScaleState& state, int key) {
  switch (key) {
  case left_key: set_covered_steps(state, std::max(shown_step(state) - 1, first_step)); break;
  case right_key: set_covered_steps(state, std::min(shown_step(state) + 1, last_step)); break;
  case space_key:
  case enter_key: return next_screen(state);
  case escape_key: state.back = !previous_screen(state); return state.back;
  }
  return false;
}

void draw_scale_screen(const ScaleState& state) {
  clear_screen();
  int y = 0;
  if (state.mode_pos != -1) {
    std::string name(mode_name(static_cast<Mode>(state.mode_pos)));
    put_text(y++, 0, "Mode: " + name);
  }
  if (state.difficulty_pos != -1) {
    std::string name(difficulty_name(static_cast<Difficulty>(state.difficulty_pos)));
    put_text(y++, 0, "Difficulty: " + name);
  }
  put_text(y, 0, "Use arrow keys set a rating scale. Press Space/Enter to continue.");
  int step = shown_step(state);
  char line[32];
  std::snprintf(line, sizeof line, "%c 1.%d %c", step > first_step ? '<' : ' ', step,
                step < last_step ? '>' : ' ');
  put_text(y + 1, 0, line);
  for (int meter = first_preview_meter; meter <= last_preview_meter; ++meter) {
    std::snprintf(line, sizeof line, "%2d -> %2d", meter, convert_meter(meter, step));
    put_text(y + 3 + (meter - first_preview_meter), 0, line);
  }
  show_screen();
}

ScreenExit run_scale_screen_loop(ScaleState& state) {
  state.back = false;
  for (;;) {
    draw_scale_screen(state);
    std::optional<int> key = read_key();
    if (!key) return ScreenExit::InputEnded;
    if (is_help_key(*key)) {
      if (!show_page_until_key(scale_help_page)) return ScreenExit::InputEnded;
    } else if (handle_scale_key(state, *key)) {
      return state.back ? ScreenExit::Back : ScreenExit::Done;
    }
  }
}
