// tests/support/temp_dir.cpp: scratch folders and files for tests.
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "rerate-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (made == nullptr) std::abort();
  path = made;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored))
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path, ignored);
}

void write_file(const std::string& path, std::string_view bytes) {
  if (fs::path(path).has_parent_path()) fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

WorkingDir::WorkingDir(const std::string& path) : previous(fs::current_path().string()) {
  fs::current_path(path);
}

WorkingDir::~WorkingDir() { fs::current_path(previous); }

std::string skip_reason(const std::string& reason) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  if (const char* log = std::getenv("RERATE_SKIP_LOG"); log != nullptr && test != nullptr)
    std::ofstream(log, std::ios::app)
        << test->test_suite_name() << '.' << test->name() << ": " << reason << '\n';
  return reason;
}

std::string corpus_dir() {
  const char* from_env = std::getenv("RERATE_CORPUS_DIR");
  std::string dir = from_env != nullptr ? from_env : RERATE_CORPUS_DIR;
  return fs::is_directory(fs::path(dir) / "Songs") ? dir : std::string();
}

void copy_corpus(const std::string& destination) {
  fs::copy(fs::path(corpus_dir()) / "Songs", fs::path(destination) / "Songs",
           fs::copy_options::recursive);
  for (auto& entry : fs::recursive_directory_iterator(fs::path(destination) / "Songs"))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
  fs::permissions(fs::path(destination) / "Songs", fs::perms::owner_write, fs::perm_options::add);
}
