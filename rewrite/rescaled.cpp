// rewrite/rescaled.cpp: matching the journals' entries with the song files as the scan
// read them, newest journal first.
#include "rewrite/rescaled.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <tuple>

#include "rewrite/journal.h"

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

// What the marks of a journal say of a file, one bit each.
constexpr std::uint8_t was_replaced = 1;
constexpr std::uint8_t was_kept = 2;
constexpr std::uint8_t was_restored = 4;

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

bool is_digits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Marks the chart whose digits the journal's meter line names, if one does: the same
// offset, and the same digits as the new text (the file's bytes are those the entry's
// hash names, so the meter read there is the new text's number).
void mark_meter(Marking& marking, const SongKey& key, const JournalMeter& meter, int run) {
  const Song& song =
      marking.groups[static_cast<std::size_t>(key.group)].songs[static_cast<std::size_t>(key.song)];
  RescaledChart found{key.group, key.song, 0, run, {}};
  if (!is_digits(meter.old_text) || meter.old_text.size() >= sizeof found.old_text) return;
  std::optional<LeadingNumber> number = leading_number(meter.new_text);
  if (!number || number->digits != meter.new_text.size()) return;
  for (const Chart& chart : song.charts) {
    if (chart.digits.offset != meter.offset || chart.digits.length != number->digits ||
        chart.meter != number->value)
      continue;
    found.chart = static_cast<std::int32_t>(&chart - song.charts.data());
    std::memcpy(found.old_text, meter.old_text.c_str(), meter.old_text.size() + 1);
    marking.rescaled.charts.push_back(found);
    return;
  }
}

// Claims each open song whose file holds the bytes the entry wrote, at the entry's path.
void claim_songs(Marking& marking, const JournalFile& file, int run, std::vector<Claim>& claims) {
  auto [begin, end] =
      std::equal_range(marking.keys.begin(), marking.keys.end(), SongKey{file.new_hash, 0, 0},
                       [](const SongKey& a, const SongKey& b) { return a.hash < b.hash; });
  for (auto key = begin; key != end; ++key) {
    std::size_t at = static_cast<std::size_t>(key - marking.keys.begin());
    const SongGroup& group = marking.groups[static_cast<std::size_t>(key->group)];
    if (marking.state[at] != SongState::Open ||
        song_path(group, group.songs[static_cast<std::size_t>(key->song)]) != file.path)
      continue;
    Claim claim{at, file.number, marking.rescaled.charts.size(), 0};
    for (const JournalMeter& meter : file.meters) mark_meter(marking, *key, meter, run);
    claim.end = marking.rescaled.charts.size();
    marking.state[at] = SongState::Claimed;
    claims.push_back(claim);
  }
}

// Settles the claims of a journal read to its end by its marks: a file the run left as it
// was, or that an undo restored, loses its charts and stays open for older journals.
void settle_claims(Marking& marking, const std::vector<Claim>& claims,
                   const std::vector<std::uint8_t>& marks, std::size_t first_chart) {
  std::vector<RescaledChart>& charts = marking.rescaled.charts;
  for (const Claim& claim : claims) {
    std::uint8_t bits = marks[static_cast<std::size_t>(claim.file)];
    bool placed =
        (bits & was_restored) == 0 && ((bits & was_replaced) != 0 || (bits & was_kept) == 0);
    marking.state[claim.key] = placed ? SongState::Resolved : SongState::Open;
    marking.open -= placed ? 1 : 0;
    if (!placed)
      for (std::size_t c = claim.first; c < claim.end; ++c) charts[c].chart = -1;
  }
  charts.erase(std::remove_if(charts.begin() + static_cast<std::ptrdiff_t>(first_chart),
                              charts.end(), [](const RescaledChart& c) { return c.chart < 0; }),
               charts.end());
}

// Reads one journal and marks what it wrote that is still there.
void read_one_journal(Marking& marking, const FoundJournal& journal) {
  std::string error;
  std::optional<JournalReader> reader = open_journal_reader(journal.path, error);
  if (!reader) return;
  int run = static_cast<int>(marking.rescaled.run_dates.size());
  std::time_t started = static_cast<std::time_t>(journal.started_seconds);
  std::tm utc{};
  char date[32] = "an unknown day";
  if (gmtime_r(&started, &utc) != nullptr) std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
  marking.rescaled.run_dates.emplace_back(date);
  std::size_t first_chart = marking.rescaled.charts.size();
  std::vector<Claim> claims;
  std::vector<std::uint8_t> marks;  // by file number
  for (JournalRecord record = next_journal_record(*reader); record.kind != JournalRecordKind::End;
       record = next_journal_record(*reader)) {
    marks.resize(static_cast<std::size_t>(reader->last_number) + 1);
    std::uint8_t& bits = marks[static_cast<std::size_t>(record.number)];
    switch (record.kind) {
    case JournalRecordKind::File: claim_songs(marking, record.file, run, claims); break;
    case JournalRecordKind::Replaced: bits |= was_replaced; break;
    case JournalRecordKind::Kept: bits |= was_kept; break;
    case JournalRecordKind::Restored: bits |= was_restored; break;
    case JournalRecordKind::Restoring:
    case JournalRecordKind::Temp:
    case JournalRecordKind::End: break;
    }
  }
  settle_claims(marking, claims, marks, first_chart);
}

}  // namespace

void mark_rescaled_charts(std::vector<SongGroup>& groups, RescaledCharts& rescaled) {
  rescaled = RescaledCharts{};
  Marking marking{groups, rescaled, songs_by_hash(groups), {}, 0};
  marking.state.assign(marking.keys.size(), SongState::Open);
  marking.open = marking.keys.size();
  if (marking.open == 0) return;
  for (const FoundJournal& journal : journals_newest_first(".")) {
    read_one_journal(marking, journal);
    if (marking.open == 0) break;
  }
  std::sort(rescaled.charts.begin(), rescaled.charts.end(),
            [](const RescaledChart& a, const RescaledChart& b) {
              return std::tie(a.group, a.song, a.chart) < std::tie(b.group, b.song, b.chart);
            });
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
