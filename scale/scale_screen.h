// scale/scale_screen.h: the screens that set the scale steps, one per mode and
// difficulty that is set on its own, with a preview of meters 7 to 19.
#pragma once

#include "library/scale_table.h"
#include "scale/options_screen.h"

// The steps chosen so far and the screen being shown.
struct ScaleState {
  ScaleTable table;
  int mode_pos;        // -1: both modes at once; else the Mode shown
  int difficulty_pos;  // -1: all difficulties at once; else the Difficulty shown
  bool back = false;   // the first screen was left with Esc, back to the options
};

constexpr int first_step = 1;
constexpr int last_step = 9;
constexpr int start_step = 5;
constexpr int first_preview_meter = 7;
constexpr int last_preview_meter = 19;

// Every step 5; the first screen of what `options` asked for.
ScaleState make_scale_state(const OptionsState& options);

// The first screen of what `options` asked for, with the steps of `kept` (the choices
// made before the user went back to the options screen). Where a screen now covers cells
// that were set apart, they all take the step of its first cell, the one it shows.
ScaleState resume_scale_state(const OptionsState& options, const ScaleTable& kept);

// The step this screen shows: that of its first covered cell.
int shown_step(const ScaleState& state);

// Applies one key; returns true when the screens are left: the last one confirmed, or
// Esc on the first one (then `state.back` is set). Esc on a later screen goes back to
// the one before.
bool handle_scale_key(ScaleState& state, int key);

// Paints the current scale screen.
void draw_scale_screen(const ScaleState& state);

// Runs the scale screens until the last is confirmed (Done), Esc is pressed on the first
// (Back) or the keyboard input ends (InputEnded).
ScreenExit run_scale_screen_loop(ScaleState& state);
