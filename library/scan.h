// library/scan.h: the walk over Songs/<group>/<song folder>/<song file>.sm that fills
// the library, and the order it is shown in.
#pragma once

#include "library/library.h"

// Fills `groups` from the Songs folder of the working folder, reading every song file
// and showing each file's path on the screen while it is read; then sorts the groups
// by name and each group's songs by title. Returns false only when Songs cannot be
// listed; a group or song folder that cannot be listed, or a song file that cannot be
// read, is kept (an empty group, a song with the "#ERROR#" title).
bool scan_library(GrowArray<SongGroup>& groups);

// Sorts groups by name and, within each, songs by title (case-insensitive).
void sort_library(GrowArray<SongGroup>& groups);
