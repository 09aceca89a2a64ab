// bench/synthetic_library.h: a made-up song library shaped like real ones, written to
// disk for measuring the scan. The same shape always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How big a library to make. Songs are spread unevenly over the groups.
struct LibraryShape {
  int songs;
  int groups;
};

// The seed every library is made from; changing it changes every file.
constexpr std::uint64_t library_seed = 0x5eed'2024'0001;

// A tiny deterministic random source (splitmix64), the same on every platform.
struct Random {
  std::uint64_t state;
};

// The next 64 random bits.
std::uint64_t next_bits(Random& random);
// A whole number from `low` to `high`, both included.
int pick(Random& random, int low, int high);

// An index below `count`, drawn as pick(random, 0, count - 1) draws it.
std::size_t pick_index(Random& random, std::size_t count);
// True with probability `p`.
bool chance(Random& random, double p);

// The bytes of song file number `index` (from 0) of a library: header tags, 4 to 12
// NOTES blocks of Single and Double charts with note data in measures, sometimes
// comments, a byte-order mark or CR LF line ends. Sizes have a median near 15 KB and a
// tail up to about 70 KB.
std::string make_song_file(int index);

// Writes the library into `root`/Songs: group folders, song folders, one song file and
// two empty media files per song folder. Returns false when something cannot be written.
bool write_synthetic_library(const std::string& root, const LibraryShape& shape);
