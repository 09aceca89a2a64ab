// rewrite/run_lock.h: one rerate at a time on a library. A run holds an advisory lock
// (flock) on the file "rerate.lock" in the folder that holds Songs and the undo journals,
// from before the scan to the end of the rewrite, and an undo holds it while it works; a
// second run or undo of the same library is refused and changes nothing. The lock goes
// with the descriptor, so a run that is killed or crashes holds it no longer.
//
// The file is created on first use and stays: it holds nothing, and removing it could let
// two runs lock two different files of that name.
#pragma once

#include <optional>
#include <string>

#include "rewrite/journal.h"

// The name of the lock file, beside Songs.
constexpr const char* run_lock_name = "rerate.lock";

// The lock of a library, held while the record lives (the lock file's descriptor).
struct RunLock {
  OwnedFd file;
};

// Takes the lock of the library whose Songs folder lies in `folder`, without waiting.
// Returns nothing, with the line to show in `error`, when another run or undo holds it,
// or when the lock file can be neither created nor opened there (a folder this user may
// not write: the undo journal could not be written there either, so no song file could
// be changed).
std::optional<RunLock> lock_library(const std::string& folder, std::string& error);
