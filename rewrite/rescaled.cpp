// rewrite/rescaled.cpp: matching the journals' entries with the song files as the scan
// read them, newest journal first.
#include "rewrite/rescaled.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>
#include <tuple>

#include "rewrite/journal.h"
#include "songfile/song_reader.h"

namespace {

// A song with charts, found by the hash of its file as the scan read it.
struct SongKey {
  std::uint64_t hash;
  std::int32_t group;
  std::int32_t song;
};

// Where a song stands while the journals are read.
enum class SongState : std::uint8_t {
  Open,      // no journal read so far wrote its bytes
  Claimed,   // an entry of the journal being read did; its marks are still to come
  Resolved,  // a journal wrote its bytes and the file took its place: no older one counts
};

// A song an entry of the journal being read claimed, with the record of its marks.
struct Claim {
  std::size_t key;
  int file;            // the entry's number in the journal
  std::size_t record;  // in RescaledCharts::songs
};

struct Marking {
  std::vector<SongGroup>& groups;
  RescaledCharts& rescaled;
  std::vector<SongKey> keys;     // sorted by hash
  std::vector<SongState> state;  // per key
  std::size_t open = 0;          // keys not yet resolved
};

std::vector<SongKey> songs_by_hash(const std::vector<SongGroup>& groups) {
  std::vector<SongKey> keys;
  for (std::size_t g = 0; g < groups.size(); ++g)
    for (std::size_t s = 0; s < groups[g].songs.size(); ++s)
      if (!groups[g].songs[s].charts.empty())
        keys.push_back(SongKey{groups[g].songs[s].hash, static_cast<std::int32_t>(g),
                               static_cast<std::int32_t>(s)});
  std::sort(keys.begin(), keys.end(), [](const SongKey& a, const SongKey& b) {
    return std::tie(a.hash, a.group, a.song) < std::tie(b.hash, b.group, b.song);
  });
  return keys;
}

// An entry of RescaledCharts::old_meters at `at`: the chart it marks, and its size.
std::size_t entry_chart(std::string_view bytes, std::size_t at) {
  return std::size_t{static_cast<unsigned char>(bytes[at])} |
         std::size_t{static_cast<unsigned char>(bytes[at + 1])} << 8;
}
std::size_t entry_size(std::string_view bytes, std::size_t at) {
  return 3 + std::size_t{static_cast<unsigned char>(bytes[at + 2])};
}

// Marks the chart whose digits a meter line of the journal names, if one does: the same
// offset, and the same digits as the new text (the file's bytes are those the entry's
// hash names, so the meter read there is the new text's number).
void mark_meter(Marking& marking, const SongKey& key, RescaledSong& record, std::uint32_t offset,
                std::string_view new_text, std::string_view old_text) {
  const Song& song =
      marking.groups[static_cast<std::size_t>(key.group)].songs[static_cast<std::size_t>(key.song)];
  if (!journal_text::is_digits(old_text) || old_text.size() > 255) return;
  std::optional<LeadingNumber> number = leading_number(new_text);
  if (!number || number->digits != new_text.size()) return;
  for (std::size_t c = 0; c < song.charts.size() && c <= 0xFFFF; ++c) {
    const Chart& chart = song.charts[c];
    if (chart.digits.offset != offset || chart.digits.length != number->digits ||
        chart.meter != number->value)
      continue;
    std::string& bytes = marking.rescaled.old_meters;
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(old_text.size());
    bytes += old_text;
    record.end = static_cast<std::uint32_t>(bytes.size());
    return;
  }
}

// Claims the open song whose file holds the bytes entry `number` wrote, at its path
// (`path` as the journal writes it).
void claim_song(Marking& marking, std::string_view path, std::uint64_t new_hash, int number,
                int run, std::vector<Claim>& claims) {
  auto [begin, end] =
      std::equal_range(marking.keys.begin(), marking.keys.end(), SongKey{new_hash, 0, 0},
                       [](const SongKey& a, const SongKey& b) { return a.hash < b.hash; });
  std::optional<std::string> unescaped;
  if (begin != end && path.find('\\') != std::string_view::npos) {
    unescaped = unescape_journal_text(path);
    if (!unescaped) return;
    path = *unescaped;
  }
  for (auto key = begin; key != end; ++key) {
    std::size_t at = static_cast<std::size_t>(key - marking.keys.begin());
    const SongGroup& group = marking.groups[static_cast<std::size_t>(key->group)];
    if (marking.state[at] != SongState::Open ||
        song_path(group, group.songs[static_cast<std::size_t>(key->song)]) != path)
      continue;
    auto bytes = static_cast<std::uint32_t>(marking.rescaled.old_meters.size());
    claims.push_back(Claim{at, number, marking.rescaled.songs.size()});
    marking.rescaled.songs.push_back(RescaledSong{key->group, key->song, run, bytes, bytes});
    marking.state[at] = SongState::Claimed;
    return;
  }
}

// Settles the claims of a journal read to its end: a file that an undo restored since
// loses its charts and stays open for older journals. (A file the run kept, or renamed
// without marking it, is told by its bytes: only a new file has the new hash.)
void settle_claims(Marking& marking, const std::vector<Claim>& claims,
                   const std::vector<bool>& restored, std::size_t first_record) {
  std::vector<RescaledSong>& songs = marking.rescaled.songs;
  for (const Claim& claim : claims) {
    bool placed = !restored[static_cast<std::size_t>(claim.file)];
    marking.state[claim.key] = placed ? SongState::Resolved : SongState::Open;
    marking.open -= placed ? 1 : 0;
    if (!placed) songs[claim.record].run = -1;
  }
  songs.erase(std::remove_if(songs.begin() + static_cast<std::ptrdiff_t>(first_record), songs.end(),
                             [](const RescaledSong& song) { return song.run < 0; }),
              songs.end());
}

using journal_text::next_word;
using journal_text::parse_number;

// A journal's lines as they are walked: the entry being read and what was claimed.
struct JournalWalk {
  Marking& marking;
  int run;
  std::vector<Claim> claims;
  std::vector<bool> restored;  // by file number: an undo restored the file
  int file = 0;                // the number of the last entry begun
  std::string path;            // its path, as written
};

// Takes one line of the journal. Returns false at a line that no journal holds: the
// journal is read no further, as an undo would read it no further.
bool walk_line(JournalWalk& walk, std::string_view line) {
  if (line.empty() || line[0] == '#') return true;
  std::string_view word = next_word(line);
  int number = 0;
  if (!parse_number(next_word(line), number) || number <= 0) return false;
  if (word == "file") {
    if (number != walk.file + 1) return false;
    walk.file = number;
    walk.path = line;
    walk.restored.resize(static_cast<std::size_t>(number) + 1);
    return true;
  }
  if (number > walk.file) return false;
  bool current = !walk.claims.empty() && walk.claims.back().file == number && number == walk.file;
  std::uint64_t old_hash = 0, new_hash = 0;
  std::uint32_t offset = 0;
  if (word == "hashes") {
    if (!parse_number(next_word(line), old_hash, 16) ||
        !parse_number(next_word(line), new_hash, 16))
      return false;
    if (number == walk.file)
      claim_song(walk.marking, walk.path, new_hash, number, walk.run, walk.claims);
  } else if (word == "meter") {
    if (!parse_number(next_word(line), offset)) return false;
    std::string_view new_text = next_word(line);
    std::string_view old_text = next_word(line);
    if (!current) return true;
    const Claim& claim = walk.claims.back();
    mark_meter(walk.marking, walk.marking.keys[claim.key],
               walk.marking.rescaled.songs[claim.record], offset, new_text, old_text);
  } else if (word == "restored") {
    walk.restored[static_cast<std::size_t>(number)] = true;
  } else if (word != "replaced" && word != "kept" && word != "restoring" && word != "temp" &&
             word != "target" && word != "written") {  // "target", "written": format 1's
    return false;
  }
  return true;
}

// Reads one journal and marks what it wrote that is still there. Its lines are walked in
// the bytes as they are read, with nothing kept of an entry that claimed no song; a last
// line without its line end (a write cut short) is left out.
void read_one_journal(Marking& marking, const FoundJournal& journal) {
  OwnedFd file(open(journal.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.fd < 0) return;
  int run = static_cast<int>(marking.rescaled.run_dates.size());
  std::time_t started = static_cast<std::time_t>(journal.started_seconds);
  std::tm utc{};
  char date[32] = "an unknown day";
  if (gmtime_r(&started, &utc) != nullptr) std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
  marking.rescaled.run_dates.emplace_back(date);
  std::size_t first_record = marking.rescaled.songs.size();
  JournalWalk walk{marking, run, {}, {}, 0, {}};
  std::vector<char> buffer(1 << 18);
  std::size_t kept = 0;  // the start of a line carried over from the last read
  bool reading = true;
  while (reading && kept < buffer.size()) {
    ssize_t got = read(file.fd, buffer.data() + kept, buffer.size() - kept);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    std::string_view bytes(buffer.data(), kept + static_cast<std::size_t>(got));
    std::size_t end = 0;
    for (std::size_t line_end; reading && (line_end = bytes.find('\n', end)) != bytes.npos;
         end = line_end + 1)
      reading = walk_line(walk, bytes.substr(end, line_end - end));
    kept = bytes.size() - end;
    std::memmove(buffer.data(), buffer.data() + end, kept);
  }
  settle_claims(marking, walk.claims, walk.restored, first_record);
}

}  // namespace

void mark_rescaled_charts(std::vector<SongGroup>& groups, RescaledCharts& rescaled) {
  rescaled = RescaledCharts{};
  std::vector<FoundJournal> journals = journals_newest_first(".");
  if (journals.empty()) return;  // the common case: nothing to match the songs with
  Marking marking{groups, rescaled, songs_by_hash(groups), {}, 0};
  marking.state.assign(marking.keys.size(), SongState::Open);
  marking.open = marking.keys.size();
  if (marking.open == 0) return;
  // Room for the most that can be marked, once, rather than the copies of growing tables
  // (the pages of a fresh block are what costs here).
  std::size_t charts = 0;
  for (const SongKey& key : marking.keys)
    charts += groups[static_cast<std::size_t>(key.group)]
                  .songs[static_cast<std::size_t>(key.song)]
                  .charts.size();
  rescaled.songs.reserve(marking.keys.size());
  rescaled.old_meters.reserve(charts * 6);
  for (const FoundJournal& journal : journals) {
    read_one_journal(marking, journal);
    if (marking.open == 0) break;
  }
  // One journal gives its songs in library order, as the rewrite walks the library.
  auto in_order = [](const RescaledSong& a, const RescaledSong& b) {
    return std::tie(a.group, a.song) < std::tie(b.group, b.song);
  };
  if (!std::is_sorted(rescaled.songs.begin(), rescaled.songs.end(), in_order))
    std::sort(rescaled.songs.begin(), rescaled.songs.end(), in_order);
  const std::string& bytes = rescaled.old_meters;
  for (const RescaledSong& record : rescaled.songs) {
    Song& song =
        groups[static_cast<std::size_t>(record.group)].songs[static_cast<std::size_t>(record.song)];
    for (std::size_t at = record.first; at < record.end; at += entry_size(bytes, at))
      song.charts[entry_chart(bytes, at)].rescaled = true;
  }
}

std::optional<std::string> rescaled_words(const RescaledCharts& rescaled, int group, int song,
                                          int chart) {
  auto record =
      std::lower_bound(rescaled.songs.begin(), rescaled.songs.end(), std::tuple(group, song),
                       [](const RescaledSong& a, const std::tuple<int, int>& b) {
                         return std::tie(a.group, a.song) < b;
                       });
  if (record == rescaled.songs.end() ||
      std::tie(record->group, record->song) != std::tie(group, song))
    return std::nullopt;
  const std::string& bytes = rescaled.old_meters;
  for (std::size_t at = record->first; at < record->end; at += entry_size(bytes, at))
    if (entry_chart(bytes, at) == static_cast<std::size_t>(chart))
      return "already rescaled on " + rescaled.run_dates[static_cast<std::size_t>(record->run)] +
             " from " + bytes.substr(at + 3, entry_size(bytes, at) - 3);
  return std::nullopt;
}
