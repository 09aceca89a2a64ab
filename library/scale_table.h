// library/scale_table.h: the divisors chosen per mode and difficulty, and the meter
// conversion that the preview and the rewrite share.
#pragma once

#include <cstdint>

#include "songfile/chart_kind.h"

// Scale steps 1 to 9 per mode and difficulty; step s divides meters by 1 + s/10.
struct ScaleTable {
  std::int32_t steps[mode_count][difficulty_count];
};

// meter / (1 + step/10), rounded half up, in IEEE doubles.
int convert_meter(int meter, int step);
