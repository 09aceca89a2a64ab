// rewrite/file_calls.h: the calls through which the rewrite and the undo create, write,
// flush, rename and remove files. They are the system's calls; a test may watch each one
// before it is made, or make it fail, to check the order in which files reach the disk and
// what a failure or a crash at any point leaves behind.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string_view>

enum class FileCall {
  Open,             // a file opened for writing (or created)
  CreateTemp,       // a new temporary file (mkstemps)
  Write,            // bytes written to a file
  Truncate,         // a file cut back to a length
  FlushFileSystem,  // everything written to a file system put on disk (syncfs)
  Rename,           // a new file put in another's place
  Remove,           // a name removed
  Close,            // a file written to closed
};

// One call as a test hook sees it, before it is made.
struct FileCallEvent {
  FileCall call;
  int fd = -1;              // the file it works on, when it takes one
  std::string_view path;    // the name it takes (Rename: the new file)
  std::string_view target;  // Rename: the name the new file takes
  std::string_view data;    // Write: the bytes
};

// Sees each call before it is made. Returns 0 to let it go on, or an error number that the
// call then fails with, without being made.
using FileCallHook = std::function<int(const FileCallEvent&)>;

// Puts `hook` in place for every later call (an empty hook removes it).
void set_file_call_hook(FileCallHook hook);

int call_open(const char* path, int flags, mode_t mode = 0);
int call_create_temp(char* pattern, int suffix_length);
ssize_t call_write(int fd, std::string_view data);
int call_truncate(int fd, off_t length);
int call_flush_file_system(int fd);
int call_rename(const char* from, const char* to);
int call_remove(const char* path);
int call_close(int fd);
