// tests/support/temp_dir.h: scratch folders and files for tests.
#pragma once

#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away.
struct TempDir {
  std::string path;
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
};

// Writes `bytes` to `path`, creating the folders on the way.
void write_file(const std::string& path, std::string_view bytes);

// The whole content of `path` (empty when it cannot be read).
std::string read_file(const std::string& path);

// Runs the current working folder in `path` for as long as the object lives.
struct WorkingDir {
  std::string previous;
  explicit WorkingDir(const std::string& path);
  ~WorkingDir();
};

// Writes why the running test is skipped to the file ctest prints after its summary
// ($RERATE_SKIP_LOG), and gives the reason back: GTEST_SKIP() << skip_reason("...").
std::string skip_reason(const std::string& reason);

// The corpus of real song files beside the project, or empty when it is absent.
std::string corpus_dir();

// Copies the corpus's Songs folder to `destination`/Songs, making the copy writable.
void copy_corpus(const std::string& destination);
