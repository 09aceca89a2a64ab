// bench/synthetic_library.cpp: the made-up library: names, header tags, charts and
// note data, and the folders and files they are written to.
#include "bench/synthetic_library.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 48> words = {
    "Night",  "Fire",    "Dream",  "Star",    "Rain",     "Heart",   "Road",   "Light",
    "Storm",  "Echo",    "Silver", "Shadow",  "Ocean",    "Dance",   "Run",    "Electric",
    "Summer", "Winter",  "Glass",  "Paper",   "Velvet",   "Neon",    "Cosmic", "Golden",
    "river",  "machine", "signal", "horizon", "paradox",  "tempo",   "pulse",  "orbit",
    "Fever",  "Rocket",  "Mirror", "Garden",  "Thunder",  "Crystal", "Wild",   "Zero",
    "Alpha",  "Omega",   "Blue",   "Red",     "Midnight", "Sunrise", "Ghost",  "Circuit"};

// Some titles and artists are written in other scripts; the bytes are plain UTF-8.
constexpr std::array<std::string_view, 6> other_script_words = {"夜明け",    "星空",  "カメレオン",
                                                                "Ünterwelt", "Ça va", "Ωmega"};

constexpr std::array<std::string_view, 12> artists = {
    "DJ Nova",      "The Pulse Unit", "Kira Sato",  "Low Orbit", "Mika & the Wires",
    "Static Bloom", "Orchard",        "nine volts", "Hexa",      "Paper Lanterns",
    "K-Drift",      "Sunday Service"};

constexpr std::array<std::string_view, 6> difficulty_names = {"Beginner", "Easy",      "Medium",
                                                              "Hard",     "Challenge", "Edit"};

// The usual meter range of each difficulty, written as low and high.
constexpr std::array<std::array<int, 2>, 6> meter_ranges = {
    {{1, 4}, {2, 7}, {4, 10}, {7, 14}, {10, 19}, {1, 19}}};

// A random source of its own for each thing made, so that every song file depends only
// on its own number.
Random random_for(std::uint64_t kind, int index) {
  Random random{library_seed ^ (kind * 0x9E3779B97F4A7C15ULL) ^
                (static_cast<std::uint64_t>(index) << 20)};
  next_bits(random);
  return random;
}

double uniform(Random& random) {
  return static_cast<double>(next_bits(random) >> 11) * (1.0 / 9007199254740992.0);
}

// A size in bytes, log-normal around a median of 15 KB, clipped to 3 KB .. 70 KB.
int target_size(Random& random) {
  double u1 = uniform(random);
  double u2 = uniform(random);
  double normal = std::sqrt(-2.0 * std::log(1.0 - u1)) * std::cos(6.283185307179586 * u2);
  double size = 15000.0 * std::exp(0.5 * normal);
  if (size < 3000.0) size = 3000.0;
  if (size > 70000.0) size = 70000.0;
  return static_cast<int>(size);
}

std::string_view any_word(Random& random) {
  if (chance(random, 0.04))
    return other_script_words[pick_index(random, other_script_words.size())];
  return words[pick_index(random, words.size())];
}

std::string make_title(Random& random) {
  std::string title(any_word(random));
  int more = pick(random, 0, 3);
  for (int i = 0; i < more; ++i) {
    title += ' ';
    title += any_word(random);
  }
  if (chance(random, 0.1)) title += " (Extended Mix)";
  return title;
}

std::string group_name(int group) {
  Random random = random_for(1, group);
  std::string name(any_word(random));
  name += ' ';
  name += any_word(random);
  if (chance(random, 0.3)) name += " Pack";
  name += ' ';
  name += std::to_string(group + 1);
  if (chance(random, 0.2)) name[0] = static_cast<char>(std::tolower(name[0]));
  return name;
}

std::string decimal(Random& random, int whole_max, int places) {
  std::string text = std::to_string(pick(random, 0, whole_max)) + '.';
  for (int i = 0; i < places; ++i) text += static_cast<char>('0' + pick(random, 0, 9));
  return text;
}

void add_tag(std::string& out, std::string_view name, std::string_view value) {
  out += '#';
  out += name;
  out += ':';
  out += value;
  out += ";\n";
}

std::string make_bpms(Random& random) {
  int bpm = pick(random, 80, 220);
  std::string text = "0.000=" + std::to_string(bpm) + ".000";
  int changes = chance(random, 0.7) ? 0 : pick(random, 1, 12);
  double beat = 0;
  for (int i = 0; i < changes; ++i) {
    beat += pick(random, 4, 64);
    bpm = pick(random, 60, 300);
    text += ',' + std::to_string(static_cast<int>(beat)) + ".000=" + std::to_string(bpm) + ".000";
  }
  return text;
}

void add_header(std::string& out, Random& random, const std::string& title) {
  if (chance(random, 0.3)) {
    out += "//----- song: ";
    out += title;
    out += " -----//\n";
  }
  add_tag(out, "TITLE", title);
  add_tag(out, "SUBTITLE", chance(random, 0.2) ? "(Radio Edit)" : "");
  add_tag(out, "ARTIST", artists[pick_index(random, artists.size())]);
  add_tag(out, "TITLETRANSLIT", "");
  add_tag(out, "SUBTITLETRANSLIT", "");
  add_tag(out, "ARTISTTRANSLIT", "");
  add_tag(out, "GENRE", chance(random, 0.5) ? "Eurobeat" : "Electronic");
  add_tag(out, "CREDIT", artists[pick_index(random, artists.size())]);
  add_tag(out, "BANNER", title + "-bn.png");
  add_tag(out, "BACKGROUND", title + "-bg.png");
  add_tag(out, "LYRICSPATH", "");
  add_tag(out, "CDTITLE", "");
  add_tag(out, "MUSIC", title + ".ogg");
  std::string offset = chance(random, 0.5) ? "-" : "";
  offset += decimal(random, 0, 3);
  add_tag(out, "OFFSET", offset);
  add_tag(out, "SAMPLESTART", decimal(random, 90, 3));
  add_tag(out, "SAMPLELENGTH", "12.000");
  add_tag(out, "SELECTABLE", "YES");
  add_tag(out, "BPMS", make_bpms(random));
  add_tag(out, "STOPS", chance(random, 0.8) ? "" : "32.000=0.194,64.500=0.388");
  add_tag(out, "BGCHANGES", "");
  out += '\n';
}

// One row of note data: mostly empty, with taps more likely on harder charts.
void add_note_row(std::string& out, Random& random, int columns, double density) {
  for (int c = 0; c < columns; ++c) {
    char note = '0';
    if (chance(random, density)) {
      int kind = pick(random, 0, 19);
      note = kind < 16 ? '1' : kind < 18 ? '2' : kind < 19 ? '3' : 'M';
    }
    out += note;
  }
  out += '\n';
}

int rows_per_measure(Random& random) {
  int kind = pick(random, 0, 19);
  return kind < 10 ? 4 : kind < 16 ? 8 : 16;
}

// The NOTES block of one chart, with measures of note data until it holds about
// `budget` bytes.
void add_chart(std::string& out, Random& random, bool is_double, std::size_t difficulty, int budget,
               bool measure_comments, bool chart_comment) {
  std::string_view type = is_double ? "dance-double" : "dance-single";
  std::string description = chance(random, 0.5) ? "" : std::string(artists[pick_index(random, 12)]);
  if (chart_comment) {
    out += "//---------------";
    out += type;
    out += " - ";
    out += description;
    out += "----------------\n";
  }
  int meter = pick(random, meter_ranges[difficulty][0], meter_ranges[difficulty][1]);
  out += "#NOTES:\n     ";
  out += type;
  out += ":\n     " + description + ":\n     ";
  out += difficulty_names[difficulty];
  out += ":\n     " + std::to_string(meter) + ":\n     ";
  for (int i = 0; i < 5; ++i) out += decimal(random, 1, 3) + (i < 4 ? "," : ":\n");

  int columns = is_double ? 8 : 4;
  double density = 0.03 + 0.012 * meter;
  std::size_t start = out.size();
  for (int measure = 1;; ++measure) {
    if (measure_comments && measure == 1) out += "  // measure 1\n";
    int rows = rows_per_measure(random);
    for (int r = 0; r < rows; ++r) add_note_row(out, random, columns, density);
    bool last = measure >= 8 && out.size() - start >= static_cast<std::size_t>(budget);
    if (last) break;
    out += ',';
    if (measure_comments) out += "  // measure " + std::to_string(measure + 1);
    out += '\n';
  }
  out += ";\n\n";
}

// Which charts a song has: `count` of the twelve mode and difficulty pairs, Single
// before Double, easiest first.
std::vector<std::size_t> pick_charts(Random& random, int count) {
  std::vector<std::size_t> all(12);
  for (std::size_t i = 0; i < 12; ++i) all[i] = i;
  for (std::size_t i = 11; i > 0; --i) std::swap(all[i], all[pick_index(random, i + 1)]);
  all.resize(static_cast<std::size_t>(count));
  std::sort(all.begin(), all.end());
  return all;
}

std::string with_crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string song_title(int index) {
  Random random = random_for(2, index);
  return make_title(random);
}

// The group of each song: groups of uneven size, each holding at least one song when
// there are enough songs.
std::vector<std::size_t> group_of_songs(const LibraryShape& shape) {
  Random random = random_for(3, 0);
  auto groups = static_cast<std::size_t>(shape.groups);
  auto songs = static_cast<std::size_t>(shape.songs);
  std::vector<double> weights(groups);
  double total = 0;
  for (double& weight : weights) total += weight = 0.3 + 1.4 * uniform(random);
  std::vector<std::size_t> group_of(songs);
  double before = 0;
  std::size_t next_song = 0;
  for (std::size_t g = 0; g < groups; ++g) {
    before += weights[g];
    std::size_t end = g + 1 == groups
                          ? songs
                          : static_cast<std::size_t>(std::lround(shape.songs * before / total));
    for (; next_song < end; ++next_song) group_of[next_song] = g;
  }
  return group_of;
}

// A name for a file or folder: no '/' (titles never hold one) and unique among `taken`.
std::string unique_name(const std::string& wanted, std::set<std::string>& taken) {
  std::string name = wanted;
  for (int n = 2; !taken.insert(name).second; ++n) name = wanted + " (" + std::to_string(n) + ")";
  return name;
}

bool write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

std::uint64_t next_bits(Random& random) {
  std::uint64_t z = (random.state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int pick(Random& random, int low, int high) {
  std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
  return low + static_cast<int>(next_bits(random) % span);
}

std::size_t pick_index(Random& random, std::size_t count) {
  return static_cast<std::size_t>(pick(random, 0, static_cast<int>(count) - 1));
}

bool chance(Random& random, double p) { return uniform(random) < p; }

std::string make_song_file(int index) {
  Random random = random_for(4, index);
  std::string text;
  add_header(text, random, song_title(index));
  int size = target_size(random);
  bool crlf = chance(random, 0.25);
  if (crlf) size = size * 5 / 6;  // CR LF adds about a byte to every short note line
  int chart_count = pick(random, 4, 12);
  bool measure_comments = chance(random, 0.25);
  bool chart_comments = chance(random, 0.4);
  int budget = std::max(200, (size - static_cast<int>(text.size())) / chart_count - 160);
  for (std::size_t chart : pick_charts(random, chart_count)) {
    bool is_double = chart >= 6;
    // A Double row holds twice the bytes of a Single row: fewer measures fill its share.
    add_chart(text, random, is_double, chart % 6, budget, measure_comments, chart_comments);
  }
  if (crlf) text = with_crlf(text);
  if (chance(random, 0.1)) text.insert(0, "\xEF\xBB\xBF");
  return text;
}

bool write_synthetic_library(const std::string& root, const LibraryShape& shape) {
  fs::path songs = fs::path(root) / "Songs";
  std::error_code error;
  if (!fs::create_directories(songs, error)) return false;
  std::vector<std::size_t> group_of = group_of_songs(shape);
  std::vector<std::set<std::string>> folders_taken(static_cast<std::size_t>(shape.groups));
  std::vector<fs::path> group_paths;
  for (int g = 0; g < shape.groups; ++g) {
    group_paths.push_back(songs / group_name(g));
    if (!fs::create_directory(group_paths.back(), error)) return false;
  }
  for (int index = 0; index < shape.songs; ++index) {
    std::size_t g = group_of[static_cast<std::size_t>(index)];
    std::string title = song_title(index);
    fs::path folder = group_paths[g] / unique_name(title, folders_taken[g]);
    if (!fs::create_directory(folder, error)) return false;
    Random random = random_for(5, index);
    int naming = pick(random, 0, 19);
    std::string file = naming < 15 ? title + ".sm" : naming < 19 ? "steps.sm" : title + ".SM";
    if (!write_bytes(folder / file, make_song_file(index))) return false;
    if (!write_bytes(folder / (title + ".ogg"), "")) return false;
    if (!write_bytes(folder / (title + "-bn.png"), "")) return false;
  }
  return true;
}
