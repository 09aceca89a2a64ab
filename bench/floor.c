/* bench/floor.c: the floor under any scan: list the folders, read the song files, count
   their semicolons, on every core. Written in plain C with POSIX calls, so that nothing
   but the work itself is measured. */
#define _GNU_SOURCE
#include "bench/floor.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { path_size = 4096, first_buffer_size = 1 << 20 };

struct shared {
  char** groups;
  int group_count;
  int next_group; /* taken with an atomic add */
};

struct worker {
  struct shared* shared;
  struct floor_result result;
  pthread_t thread;
};

static int is_folder(const char* folder, const struct dirent* entry) {
  char path[path_size];
  struct stat info;
  if (entry->d_type == DT_DIR) return 1;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return 0;
  if (snprintf(path, sizeof path, "%s/%s", folder, entry->d_name) >= (int)sizeof path) return 0;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

static int is_dot_entry(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

static int has_song_file_name(const char* name) {
  size_t length = strlen(name);
  if (strncmp(name, "._", 2) == 0 || length < 3) return 0;
  return strcasecmp(name + length - 3, ".sm") == 0;
}

/* Reads the whole file into the buffer (grown as needed) and counts its semicolons. */
static int read_counting(const char* path, char** buffer, size_t* capacity,
                         struct floor_result* result) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  size_t size = 0;
  if (fd < 0) return 0;
  for (;;) {
    ssize_t got;
    if (size == *capacity) {
      *capacity *= 2;
      *buffer = realloc(*buffer, *capacity);
    }
    got = read(fd, *buffer + size, *capacity - size);
    if (got <= 0) break;
    size += (size_t)got;
  }
  close(fd);
  for (const char* p = *buffer; (p = memchr(p, ';', (size_t)(*buffer + size - p))) != NULL; ++p)
    ++result->semicolons;
  result->bytes += (long long)size;
  ++result->files;
  return 1;
}

/* The first song file of a song folder, by name, read. */
static void read_song_folder(const char* folder, char** buffer, size_t* capacity,
                             struct floor_result* result) {
  char first[256] = "";
  char path[path_size];
  struct dirent* entry;
  DIR* dir = opendir(folder);
  if (dir == NULL) {
    result->failed = 1;
    return;
  }
  while ((entry = readdir(dir)) != NULL)
    if (has_song_file_name(entry->d_name) && (first[0] == '\0' || strcmp(entry->d_name, first) < 0))
      memcpy(first, entry->d_name, strlen(entry->d_name) + 1);
  closedir(dir);
  if (first[0] == '\0') return;
  if (snprintf(path, sizeof path, "%s/%s", folder, first) >= (int)sizeof path) {
    result->failed = 1;
    return;
  }
  if (!read_counting(path, buffer, capacity, result)) result->failed = 1;
}

static void* run_worker(void* argument) {
  struct worker* worker = argument;
  struct shared* shared = worker->shared;
  size_t capacity = first_buffer_size;
  char* buffer = malloc(capacity);
  for (;;) {
    char group[path_size];
    struct dirent* entry;
    DIR* dir;
    int index = __atomic_fetch_add(&shared->next_group, 1, __ATOMIC_RELAXED);
    if (index >= shared->group_count) break;
    if (snprintf(group, sizeof group, "Songs/%s", shared->groups[index]) >= (int)sizeof group)
      continue;
    dir = opendir(group);
    if (dir == NULL) {
      worker->result.failed = 1;
      continue;
    }
    while ((entry = readdir(dir)) != NULL) {
      char folder[path_size];
      if (is_dot_entry(entry->d_name) || !is_folder(group, entry)) continue;
      if (snprintf(folder, sizeof folder, "%s/%s", group, entry->d_name) >= (int)sizeof folder)
        continue;
      read_song_folder(folder, &buffer, &capacity, &worker->result);
    }
    closedir(dir);
  }
  free(buffer);
  return NULL;
}

struct floor_result read_library_floor(int threads) {
  struct floor_result total = {0, 0, 0, 0};
  struct shared shared = {NULL, 0, 0};
  struct worker* workers;
  struct dirent* entry;
  DIR* songs = opendir("Songs");
  int capacity = 0;
  if (songs == NULL) {
    total.failed = 1;
    return total;
  }
  while ((entry = readdir(songs)) != NULL) {
    if (is_dot_entry(entry->d_name) || !is_folder("Songs", entry)) continue;
    if (shared.group_count == capacity) {
      capacity = capacity == 0 ? 64 : capacity * 2;
      shared.groups = realloc(shared.groups, sizeof *shared.groups * (size_t)capacity);
    }
    shared.groups[shared.group_count++] = strdup(entry->d_name);
  }
  closedir(songs);
  if (threads < 1) threads = 1;
  workers = calloc((size_t)threads, sizeof *workers);
  for (int i = 0; i < threads; ++i) {
    workers[i].shared = &shared;
    pthread_create(&workers[i].thread, NULL, run_worker, &workers[i]);
  }
  for (int i = 0; i < threads; ++i) {
    pthread_join(workers[i].thread, NULL);
    total.files += workers[i].result.files;
    total.bytes += workers[i].result.bytes;
    total.semicolons += workers[i].result.semicolons;
    total.failed |= workers[i].result.failed;
  }
  for (int i = 0; i < shared.group_count; ++i) free(shared.groups[i]);
  free(shared.groups);
  free(workers);
  return total;
}
