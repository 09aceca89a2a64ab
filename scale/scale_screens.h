// scale/scale_screens.h: the options screen and then the scale screens, in turn.
#pragma once

#include <optional>

#include "scale/scale_table.h"

// Runs the options screen and the scale screens. Returns the filled table, or nothing
// when the keyboard input ended first.
std::optional<ScaleTable> run_scale_screens();
