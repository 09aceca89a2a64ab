// scale/scale.h: the divisors chosen per mode and difficulty, and the meter conversion.
#pragma once

#include <cstdint>
#include <optional>

#include "library/library.h"

// Scale steps 1 to 9 per mode and difficulty; step s divides meters by 1 + s/10.
struct ScaleTable {
  std::int32_t steps[mode_count][difficulty_count];
};

// meter / (1 + step/10), rounded half up, in IEEE doubles.
int convert_meter(int meter, int step);

// Runs the options screen and the scale screens. Returns the filled table, or nothing
// when the keyboard input ended first.
std::optional<ScaleTable> run_scale_screens();
