// scale/options_screen.h: the screen that asks whether Single and Double, and each
// difficulty, get divisors of their own.
#pragma once

#include "terminal/terminal.h"

// The two choices and the highlighted item: 0 and 1 the choices, 2 "Continue".
struct OptionsState {
  bool per_mode;        // Single and Double get separate divisors
  bool per_difficulty;  // each difficulty gets its own divisor
  int item;
  bool back = false;  // the screen was left with Esc, back to the browser
};

constexpr int options_item_count = 3;

// Both choices off, the first item highlighted.
OptionsState make_options_state();

// Applies one key; returns true when the screen is left: "Continue" chosen, or Esc (then
// `state.back` is set).
bool handle_options_key(OptionsState& state, int key);

// Paints the options screen.
void draw_options_screen(const OptionsState& state);

// Runs the options screen until "Continue" is chosen (Done), Esc is pressed (Back) or
// the keyboard input ends (InputEnded).
ScreenExit run_options_screen(OptionsState& state);
