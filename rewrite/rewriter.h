// rewrite/rewriter.h: writing the selected songs' files back with converted meters.
#pragma once

#include <cstdio>

#include "library/library.h"
#include "scale/scale.h"

// Rewrites every song file that has a selected chart, converting exactly the selected
// charts' meters, and reports each song's outcome on `report` once it is known, in
// library order: "Rewriting <path>..." and one line per converted chart, or "Failed to
// write to <path>" when the file was left as it was.
void rewrite_library(const GrowArray<SongGroup>& groups, const ScaleTable& table,
                     std::FILE* report);
