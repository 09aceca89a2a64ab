// scale/scale.cpp: the meter conversion, and the options and scale screens in turn.
#include "scale/scale.h"

#include "scale/options_screen.h"
#include "scale/scale_screen.h"

int convert_meter(int meter, int step) {
  // One rounding per statement (no fused multiply-add), so every intermediate is an
  // IEEE double and the preview and the rewrite agree on every meter.
  double tenths = step * 0.1;
  double divisor = tenths + 1.0;
  double quotient = meter / divisor;
  double rounded = quotient + 0.5;
  return static_cast<int>(rounded);
}

std::optional<ScaleTable> run_scale_screens() {
  OptionsState options = make_options_state();
  if (!run_options_screen(options)) return std::nullopt;
  ScaleState state = make_scale_state(options);
  if (!run_scale_screen_loop(state)) return std::nullopt;
  return state.table;
}
