// songfile/text_file.h: reading a song file in one go, and the text-mode rules
// (CR LF read as LF, a 0x1A byte ends the text) applied to what was read.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "songfile/token.h"

// A whole file's bytes as they are on disk.
struct RawFile {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
  FileStamp stamp{};
};

// Reads the regular file at `path`. Returns nothing when it cannot be opened or read,
// or is not a regular file (a folder, a pipe or a device is never waited on).
std::optional<RawFile> read_whole_file(const std::string& path);

// The stamp of the file at `path` now (following symbolic links), if it exists.
std::optional<FileStamp> stamp_file(const std::string& path);

// The two parts of a file read in text mode.
struct TextSplit {
  std::size_t text_size;  // the text, CR LF turned into LF
  std::size_t tail_size;  // the bytes from the first 0x1A on, unchanged
};

// Rewrites `bytes` in place: the text-mode text first, then the kept tail right after it.
TextSplit apply_text_mode(char* bytes, std::size_t size);
