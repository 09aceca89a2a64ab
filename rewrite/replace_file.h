// rewrite/replace_file.h: replacing a song file on disk all at once, so that it is
// either as it was or wholly new, never half written.
#pragma once

#include <signal.h>

#include <string>
#include <string_view>

#include "songfile/token.h"

// Replaces the file at `path` with `content`. A symbolic link is followed and its target
// replaced; the link stays. The content goes to a temporary file beside the target
// (".rerate-XXXXXX.tmp", never taken for a song file), is flushed to disk, given the
// target's permission bits (and its owner and group where allowed) and renamed over it.
// Returns false, leaving the file exactly as it was and no temporary file behind, when
// the target may not be written by this user, is no longer the file described by
// `expected` (changed on disk since it was read), or any step fails.
bool replace_file(const std::string& path, std::string_view content, const FileStamp& expected);

// Holds off interrupt, termination, hang-up and quit signals while it lives; a signal
// that arrives meanwhile is delivered when it goes away.
struct InterruptShield {
  sigset_t previous;
  InterruptShield();
  InterruptShield(const InterruptShield&) = delete;
  InterruptShield& operator=(const InterruptShield&) = delete;
  ~InterruptShield();
};
