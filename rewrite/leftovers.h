// rewrite/leftovers.h: removing the temporary files (".rerate-XXXXXX.tmp") that a killed
// rewrite or undo left beside song files. Done by the next run or undo of the library,
// once it holds the library's lock (rewrite/run_lock.h), so that no file another run is
// still writing is taken for a leftover.
#pragma once

#include <span>
#include <string>

// Removes each of `paths` that is a regular file named as a temporary file: the name
// alone is unlinked, and a folder, a symbolic link (wherever it leads), any other kind of
// file or any other name stays.
void remove_temp_files(std::span<const std::string> paths);

// Looks into every song folder of the library in `songs` (<songs>/<group>/<song folder>)
// and removes the temporary files there, as remove_temp_files does: for an undo, which
// does not scan.
void sweep_temp_files(const std::string& songs);
