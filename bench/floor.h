/* bench/floor.h: the floor under any scan of the library: listing its folders and
   reading every song file, with nothing else done, on every core. Plain C. */
#ifndef RERATE_BENCH_FLOOR_H
#define RERATE_BENCH_FLOOR_H

#ifdef __cplusplus
extern "C" {
#endif

/* What one pass over the library saw. */
struct floor_result {
  long files;
  long long bytes;
  long long semicolons; /* counted, so that every byte is looked at */
  int failed;           /* a folder or file could not be read */
};

/* Lists Songs/<group>/<folder> in the working folder and reads, in each song folder, the
   first file (by name) ending in ".sm" into one buffer that each thread reuses, counting
   its semicolons with memchr; `threads` threads share the groups. */
struct floor_result read_library_floor(int threads);

#ifdef __cplusplus
}
#endif

#endif
