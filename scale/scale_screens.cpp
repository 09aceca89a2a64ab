// scale/scale_screens.cpp: the options screen, then the scale screens it asked for.
#include "scale/scale_screens.h"

#include "scale/options_screen.h"
#include "scale/scale_screen.h"

std::optional<ScaleTable> run_scale_screens() {
  OptionsState options = make_options_state();
  if (!run_options_screen(options)) return std::nullopt;
  ScaleState state = make_scale_state(options);
  if (!run_scale_screen_loop(state)) return std::nullopt;
  return state.table;
}
