// rewrite/replace_file.h: replacing song files on disk all at once, so that each is
// either as it was or wholly new, never half written: the new file is written beside the
// old one and renamed over it once it is on disk (rewrite/batch.h puts whole batches on
// disk).
#pragma once

#include <signal.h>

#include <optional>
#include <string>
#include <string_view>

#include "songfile/song_file.h"
#include "songfile/stop_signals.h"

// A new file written beside the one it is to replace. The temporary file is removed when
// the record goes away, unless it was placed.
struct Replacement {
  std::string target;   // the file to replace, every symbolic link followed
  std::string temp;     // the new file; empty once placed or removed
  FileStamp expected;   // the target as it must be when the new file takes its place
  bool placed = false;  // the new file has taken the target's place

  Replacement() = default;
  Replacement(Replacement&& other) noexcept;
  Replacement& operator=(Replacement&& other) noexcept;
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;
  ~Replacement();
};

// The folder of `path`, a path with a slash in it ("/" for a file at the root).
std::string folder_of(const std::string& path);

// The file `path` names once every symbolic link is followed, as an absolute path.
std::optional<std::string> resolve_target(const std::string& path);

// Writes `content` to a temporary file (".rerate-XXXXXX.tmp", never taken for a song
// file) beside `target`, with the target's attributes as copy_file_attributes gives them
// (rewrite/file_attributes.h): mode bits, access list and extended attributes, and its
// owner and group where this user may give them. Returns nothing, leaving no file behind,
// when this user may not write the target, the target is no longer the file `expected`
// describes, its attributes cannot all be kept, or a step fails (a full disk, a file size
// limit). The new file is not yet known to be on disk.
std::optional<Replacement> write_replacement(const std::string& target, std::string_view content,
                                             const FileStamp& expected);

// Whether write_replacement could write a new file beside `target` now: this user may
// open the target for writing and create a file in its folder, and the target is still
// the file `expected` describes. Nothing is written or created.
bool could_replace(const std::string& target, const FileStamp& expected);

// Renames the new file over its target, if it is still there (`temp` not empty) and the
// target is still as expected. Returns true when the new file is in place; otherwise the
// temporary file is removed and the target left as it is.
bool place_replacement(Replacement& replacement);

// Holds off the stop signals (songfile/stop_signals.h) while it lives; a signal that
// arrives meanwhile is delivered when it goes away.
struct InterruptShield {
  sigset_t previous;
  InterruptShield();
  InterruptShield(const InterruptShield&) = delete;
  InterruptShield& operator=(const InterruptShield&) = delete;
  ~InterruptShield();
};

// Makes a file size limit fail a write, and a reader of the report that went away fail
// the report's lines, instead of ending the program between a rename and its journal mark.
void ignore_write_signals();

// Catches the stop signals while it lives (those not ignored), so that a run can stop
// between batches instead of ending at once; the previous handlers come back when it goes
// away.
struct InterruptCatcher {
  struct sigaction previous[std::size(stop_signals)];
  InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  ~InterruptCatcher();
};

// The signal an InterruptCatcher caught, or 0.
int caught_interrupt();

// Ends the program by signal `signal_number`, as if it had never been caught, so that the
// exit status tells the caller what stopped it.
[[noreturn]] void end_by_signal(int signal_number);
