// rewrite/rewriter.h: writing the selected songs' files back with converted meters.
#pragma once

#include <cstdio>

#include "library/library.h"
#include "scale/scale_table.h"

// Rewrites every song file that has a selected chart: the file is read again and, if it
// is still the file the scan read, replaced by its own bytes with exactly the selected
// charts' meter digits converted. Reports each song's outcome on `report` in library
// order: "Rewriting <path>..." and one line per converted chart, or "Failed to write to
// <path>" when the file was left as it was.
void rewrite_library(const GrowArray<SongGroup>& groups, const ScaleTable& table,
                     std::FILE* report);
