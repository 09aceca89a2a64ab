// library/scale_table.cpp: the meter conversion.
#include "library/scale_table.h"

int convert_meter(int meter, int step) {
  // One rounding per statement (no fused multiply-add), so every intermediate is an
  // IEEE double and the preview and the rewrite agree on every meter.
  double tenths = step * 0.1;
  double divisor = tenths + 1.0;
  double quotient = meter / divisor;
  double rounded = quotient + 0.5;
  return static_cast<int>(rounded);
}
