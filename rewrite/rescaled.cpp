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

// A song an entry of the journal being read claimed, with the charts it marked there.
struct Claim {
  std::size_t key;
  int file;           // the entry's number in the journal
  std::size_t first;  // its charts in RescaledCharts::charts: [first, end)
  std::size_t end;
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

bool is_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Marks the chart whose digits a meter line of the journal names, if one does: the same
// offset, and the same digits as the new text (the file's bytes are those the entry's
// hash names, so the meter read there is the new text's number).
void mark_meter(Marking& marking, const SongKey& key, std::uint32_t offset,
                std::string_view new_text, std::string_view old_text, int run) {
  const Song& song =
      marking.groups[static_cast<std::size_t>(key.group)].songs[static_cast<std::size_t>(key.song)];
  RescaledChart found{key.group, key.song, 0, run, {}};
  if (!is_digits(old_text) || old_text.size() >= sizeof found.old_text) return;
  std::optional<LeadingNumber> number = leading_number(new_text);
  if (!number || number->digits != new_text.size()) return;
  for (const Chart& chart : song.charts) {
    if (chart.digits.offset != offset || chart.digits.length != number->digits ||
        chart.meter != number->value)
      continue;
    found.chart = static_cast<std::int32_t>(&chart - song.charts.data());
    std::memcpy(found.old_text, old_text.data(), old_text.size());
    marking.rescaled.charts.push_back(found);
    return;
  }
}

// Claims the open song whose file holds the bytes entry `number` wrote, at its path
// (`path` as the journal writes it).
void claim_song(Marking& marking, std::string_view path, std::uint64_t new_hash, int number,
                std::vector<Claim>& claims) {
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
    std::size_t charts = marking.rescaled.charts.size();
    claims.push_back(Claim{at, number, charts, charts});
    marking.state[at] = SongState::Claimed;
    return;
  }
}

// Settles the claims of a journal read to its end: a file that an undo restored since
// loses its charts and stays open for older journals. (A file the run kept, or renamed
// without marking it, is told by its bytes: only a new file has the new hash.)
void settle_claims(Marking& marking, const std::vector<Claim>& claims,
                   const std::vector<bool>& restored, std::size_t first_chart) {
  std::vector<RescaledChart>& charts = marking.rescaled.charts;
  for (const Claim& claim : claims) {
    bool placed = !restored[static_cast<std::size_t>(claim.file)];
    marking.state[claim.key] = placed ? SongState::Resolved : SongState::Open;
    marking.open -= placed ? 1 : 0;
    if (!placed)
      for (std::size_t c = claim.first; c < claim.end; ++c) charts[c].chart = -1;
  }
  charts.erase(std::remove_if(charts.begin() + static_cast<std::ptrdiff_t>(first_chart),
                              charts.end(), [](const RescaledChart& c) { return c.chart < 0; }),
               charts.end());
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
    if (number == walk.file) claim_song(walk.marking, walk.path, new_hash, number, walk.claims);
  } else if (word == "meter") {
    if (!parse_number(next_word(line), offset)) return false;
    std::string_view new_text = next_word(line);
    std::string_view old_text = next_word(line);
    if (!current) return true;
    mark_meter(walk.marking, walk.marking.keys[walk.claims.back().key], offset, new_text, old_text,
               walk.run);
    walk.claims.back().end = walk.marking.rescaled.charts.size();
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
  JournalFd file(open(journal.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.fd < 0) return;
  int run = static_cast<int>(marking.rescaled.run_dates.size());
  std::time_t started = static_cast<std::time_t>(journal.started_seconds);
  std::tm utc{};
  char date[32] = "an unknown day";
  if (gmtime_r(&started, &utc) != nullptr) std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
  marking.rescaled.run_dates.emplace_back(date);
  std::size_t first_chart = marking.rescaled.charts.size();
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
  settle_claims(marking, walk.claims, walk.restored, first_chart);
}

}  // namespace

void mark_rescaled_charts(std::vector<SongGroup>& groups, RescaledCharts& rescaled) {
  rescaled = RescaledCharts{};
  Marking marking{groups, rescaled, songs_by_hash(groups), {}, 0};
  marking.state.assign(marking.keys.size(), SongState::Open);
  marking.open = marking.keys.size();
  if (marking.open == 0) return;
  // At most every chart is marked: room for that once, rather than the copies of a growing
  // table (the pages of a fresh block are what costs here).
  std::size_t charts = 0;
  for (const SongKey& key : marking.keys)
    charts += groups[static_cast<std::size_t>(key.group)]
                  .songs[static_cast<std::size_t>(key.song)]
                  .charts.size();
  rescaled.charts.reserve(charts);
  for (const FoundJournal& journal : journals_newest_first(".")) {
    read_one_journal(marking, journal);
    if (marking.open == 0) break;
  }
  // One journal gives its charts in library order, as the rewrite walks the library.
  auto in_order = [](const RescaledChart& a, const RescaledChart& b) {
    return std::tie(a.group, a.song, a.chart) < std::tie(b.group, b.song, b.chart);
  };
  if (!std::is_sorted(rescaled.charts.begin(), rescaled.charts.end(), in_order))
    std::sort(rescaled.charts.begin(), rescaled.charts.end(), in_order);
  for (const RescaledChart& chart : rescaled.charts)
    groups[static_cast<std::size_t>(chart.group)]
        .songs[static_cast<std::size_t>(chart.song)]
        .charts[static_cast<std::size_t>(chart.chart)]
        .rescaled = true;
}

const RescaledChart* find_rescaled(const RescaledCharts& rescaled, int group, int song, int chart) {
  auto at = std::lower_bound(rescaled.charts.begin(), rescaled.charts.end(),
                             std::tuple(group, song, chart),
                             [](const RescaledChart& a, const std::tuple<int, int, int>& b) {
                               return std::tie(a.group, a.song, a.chart) < b;
                             });
  if (at == rescaled.charts.end() ||
      std::tie(at->group, at->song, at->chart) != std::tuple(group, song, chart))
    return nullptr;
  return &*at;
}

std::string rescaled_words(const RescaledCharts& rescaled, const RescaledChart& chart) {
  return "already rescaled on " + rescaled.run_dates[static_cast<std::size_t>(chart.run)] +
         " from " + chart.old_text;
}
