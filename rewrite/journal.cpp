// rewrite/journal.cpp: writing the undo journal, and reading it back one line at a time.
#include "rewrite/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <utility>

#include "rewrite/file_calls.h"

namespace {

constexpr std::string_view journal_prefix = "rerate-undo-";
constexpr std::string_view journal_suffix = ".txt";
constexpr std::string_view journal_time_form = "0000-00-00T00-00-00Z";  // 0: a digit
constexpr int most_names_tried = 1000;

constexpr std::string_view first_line_of_format_1 = "# rerate undo journal, format 1";
constexpr std::string_view first_line = "# rerate undo journal, format 2";
constexpr std::string_view header_explained =
    "# Undo the rewrite it records with: rerate --undo <this file>\n"
    "# Paths are read from the folder that holds this journal.\n"
    "# file N PATH: a song file the rewrite replaces.\n"
    "# hashes N OLD NEW: hashes of its bytes before and after.\n"
    "# meter N OFFSET NEW OLD CHART: a changed meter, at a byte offset in the new file.\n"
    "# replaced N STAMP: the new file is in place; kept N: the file was left as it was.\n"
    "# restoring N, restored N STAMP: the same for an undo.\n"
    "# temp N NAME: the new file beside the old one until its rename.\n";

// A journal's lines are short; a longer one is not a journal's, and is never held whole.
constexpr std::size_t longest_line = 64 * 1024;
// More meters than a song file can hold charts.
constexpr std::size_t most_meters = 10000;

// The content hash of journals written before it was content_hash (format 1, and format 2
// journals that name it), kept only to check their files.
constexpr std::string_view legacy_hash_name = "mix64";

std::uint64_t load_word(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  return word;
}

__extension__ typedef unsigned __int128 Product;

// The high and low halves of a 64 x 64-bit product, folded together.
std::uint64_t fold_multiply(std::uint64_t a, std::uint64_t b) {
  Product product = static_cast<Product>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// The legacy hash: sixteen bytes per step, each step one wide multiplication that mixes
// them with all the bytes before; the length goes in at the end, so bytes and length both
// count.
std::uint64_t legacy_content_hash(std::string_view bytes) {
  constexpr std::uint64_t k0 = 0xa0761d6478bd642fULL;
  constexpr std::uint64_t k1 = 0xe7037ed1a0b428dbULL;
  constexpr std::uint64_t k2 = 0x8ebc6af09c88c6e3ULL;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  std::uint64_t h = k0;
  for (; left >= 16; left -= 16, p += 16)
    h = fold_multiply(load_word(p) ^ k1, load_word(p + 8) ^ h);
  char tail[16] = {};
  std::memcpy(tail, p, left);
  h = fold_multiply(load_word(tail) ^ k1, load_word(tail + 8) ^ h ^ left);
  return fold_multiply(h ^ k2, static_cast<std::uint64_t>(bytes.size()) ^ k1);
}

// Text with backslashes and control bytes escaped, so that it fits on one line.
std::string escape_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte < 0x20 || byte == 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> unescape_text(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      i += 1;
    } else if (i + 3 < text.size() && text[i + 1] == 'x' && hex_digit(text[i + 2]) >= 0 &&
               hex_digit(text[i + 3]) >= 0) {
      out += static_cast<char>(hex_digit(text[i + 2]) * 16 + hex_digit(text[i + 3]));
      i += 3;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::string stamp_text(const FileStamp& s) {
  char text[256];
  std::snprintf(text, sizeof text,
                "device %" PRIu64 " inode %" PRIu64 " size %" PRId64 " mtime %" PRId64 ".%09" PRId64
                " ctime %" PRId64 ".%09" PRId64,
                s.device, s.inode, s.size, s.mtime_seconds, s.mtime_nanoseconds, s.ctime_seconds,
                s.ctime_nanoseconds);
  return text;
}

using journal_text::next_word;
using journal_text::parse_number;

// "SECONDS.NANOSECONDS"
bool parse_time(std::string_view word, std::int64_t& seconds, std::int64_t& nanoseconds) {
  std::size_t dot = word.find('.');
  return dot != std::string_view::npos && parse_number(word.substr(0, dot), seconds) &&
         word.size() - dot == 10 && parse_number(word.substr(dot + 1), nanoseconds);
}

std::optional<FileStamp> parse_stamp(std::string_view text) {
  FileStamp s{};
  bool ok = next_word(text) == "device" && parse_number(next_word(text), s.device) &&
            next_word(text) == "inode" && parse_number(next_word(text), s.inode) &&
            next_word(text) == "size" && parse_number(next_word(text), s.size) &&
            next_word(text) == "mtime" &&
            parse_time(next_word(text), s.mtime_seconds, s.mtime_nanoseconds) &&
            next_word(text) == "ctime" &&
            parse_time(next_word(text), s.ctime_seconds, s.ctime_nanoseconds) && text.empty();
  if (!ok) return std::nullopt;
  return s;
}

std::optional<JournalMeter> parse_meter(std::string_view text) {
  JournalMeter meter;
  if (!parse_number(next_word(text), meter.offset)) return std::nullopt;
  meter.new_text = next_word(text);
  meter.old_text = next_word(text);
  meter.chart = text;
  if (meter.new_text.empty() || meter.old_text.empty()) return std::nullopt;
  return meter;
}

// Applies one line of a file's entry to it. Returns false when the line is not one.
bool apply_entry_line(std::string_view word, std::string_view fields, JournalHeader& header,
                      JournalFile& file, bool& has_hashes) {
  if (word == "hashes")
    return (has_hashes = parse_number(next_word(fields), file.old_hash, 16) &&
                         parse_number(next_word(fields), file.new_hash, 16) && fields.empty());
  if (word == "meter") {
    std::optional<JournalMeter> meter = parse_meter(fields);
    if (!meter || file.meters.size() == most_meters) return false;
    file.meters.push_back(std::move(*meter));
    return true;
  }
  if (header.format != 1) return false;
  if (word == "written") {  // its time is the first a format 1 journal tells
    std::optional<FileStamp> stamp = parse_stamp(fields);
    if (stamp && header.started_seconds == 0) header.started_seconds = stamp->mtime_seconds;
    return stamp.has_value();
  }
  std::optional<std::string> target = unescape_text(fields);
  if (word != "target" || !target) return false;
  file.target = std::move(*target);
  return true;
}

// Reads a mark's fields into `record`. Returns false when they are not a mark's.
bool read_mark(std::string_view word, std::string_view fields, JournalRecord& record) {
  if (word == "temp") {
    std::optional<std::string> name = unescape_text(fields);
    record.kind = JournalRecordKind::Temp;
    record.temp = name.value_or("");
    return name && !name->empty() && name->find('/') == std::string::npos;
  }
  if (word == "kept" || (word == "restoring" && fields.empty())) {
    record.kind = word == "kept" ? JournalRecordKind::Kept : JournalRecordKind::Restoring;
    return fields.empty();
  }
  record.stamp = parse_stamp(fields);
  record.kind = word == "replaced"    ? JournalRecordKind::Replaced
                : word == "restored"  ? JournalRecordKind::Restored
                : word == "restoring" ? JournalRecordKind::Restoring
                                      : JournalRecordKind::End;
  return record.kind != JournalRecordKind::End && record.stamp.has_value();
}

// Reads the next whole line into `line`, without its line end. Returns false at the end,
// where a last line without a line end is left out, or when the journal cannot be read on,
// which `stopped` then tells.
bool read_line(JournalReader& reader, std::string& line) {
  if (reader.has_ahead) {
    reader.has_ahead = false;
    line = std::move(reader.ahead);
    return true;
  }
  for (;;) {
    char* begin = reader.buffer.get() + reader.start;
    std::size_t length = reader.end - reader.start;
    if (const void* found = std::memchr(begin, '\n', length)) {
      line.assign(begin, static_cast<std::size_t>(static_cast<const char*>(found) - begin));
      reader.start += line.size() + 1;
      reader.whole_bytes += static_cast<off_t>(line.size() + 1);
      ++reader.line_number;
      return true;
    }
    if (reader.at_end) return false;
    std::memmove(reader.buffer.get(), begin, length);
    reader.start = 0;
    reader.end = length;
    if (reader.end == longest_line) {
      reader.stopped = "line " + std::to_string(reader.line_number + 1) + " is too long";
      return false;
    }
    ssize_t got = read(reader.file.fd, reader.buffer.get() + reader.end, longest_line - reader.end);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      reader.stopped = "it cannot be read after line " + std::to_string(reader.line_number) + " (" +
                       std::strerror(errno) + ")";
      return false;
    }
    reader.at_end = got == 0;
    reader.end += static_cast<std::size_t>(got);
  }
}

// Gives back a line read ahead, so that the next read_line takes it.
void put_back(JournalReader& reader, std::string&& line) {
  reader.ahead = std::move(line);
  reader.has_ahead = true;
}

// Reads the header lines that follow the first line ("# hash", "# started").
void read_header_fields(JournalReader& reader) {
  std::string line;
  while (read_line(reader, line)) {
    std::string_view fields = line;
    if (!fields.starts_with('#')) return put_back(reader, std::move(line));
    next_word(fields);
    std::string_view word = next_word(fields);
    JournalHeader& header = reader.header;
    if (word == "hash") header.hash = fields;
    if (word == "started" &&
        !parse_time(next_word(fields), header.started_seconds, header.started_nanoseconds))
      header.started_seconds = header.started_nanoseconds = 0;
  }
}

// Reads the rest of the entry that `file` begins. Returns false when a line of it cannot
// be read; `has_hashes` tells whether the entry is whole.
bool read_entry(JournalReader& reader, JournalFile& file, bool& has_hashes) {
  std::string line;
  while (read_line(reader, line)) {
    std::string_view fields = line;
    std::string_view word = next_word(fields);
    int number = 0;
    bool of_entry = word == "hashes" || word == "meter" || word == "target" || word == "written";
    if (!of_entry || !parse_number(next_word(fields), number) || number != file.number) {
      put_back(reader, std::move(line));
      return true;
    }
    if (!apply_entry_line(word, fields, reader.header, file, has_hashes)) return false;
  }
  return true;
}

JournalRecord stop_reading(JournalReader& reader) {
  if (reader.stopped.empty())
    reader.stopped = "line " + std::to_string(reader.line_number) + " cannot be read";
  return JournalRecord{};
}

}  // namespace

std::string journal_name(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  char time[32];
  std::strftime(time, sizeof time, "%Y-%m-%dT%H-%M-%SZ", &utc);
  return std::string(journal_prefix) + time + std::string(journal_suffix);
}

std::optional<JournalWriter> create_journal(const struct timespec& now) {
  std::string base = journal_name(now.tv_sec);
  base.resize(base.size() - journal_suffix.size());
  JournalWriter journal;
  for (int n = 1; n <= most_names_tried && journal.file.fd < 0; ++n) {
    journal.name = base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(journal_suffix);
    journal.file.fd =
        call_open(journal.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (journal.file.fd < 0 && errno != EEXIST) return std::nullopt;
  }
  if (journal.file.fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(journal.file.fd, &info) == 0) journal.device = static_cast<std::uint64_t>(info.st_dev);
  flock(journal.file.fd, LOCK_EX | LOCK_NB);  // no undo of it while the rewrite runs
  char started[96];
  std::tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  int length = std::snprintf(started, sizeof started, "# started %lld.%09ld ",
                             static_cast<long long>(now.tv_sec), static_cast<long>(now.tv_nsec));
  std::strftime(started + length, sizeof started - static_cast<std::size_t>(length),
                "%Y-%m-%dT%H:%M:%SZ\n", &utc);
  std::string header = std::string(first_line) + "\n# hash " + std::string(content_hash_name) +
                       "\n" + started + std::string(header_explained);
  if (!append_journal(journal, header)) {
    int error = errno;
    call_remove(journal.name.c_str());
    errno = error;
    return std::nullopt;
  }
  return journal;
}

std::optional<JournalWriter> open_journal(const std::string& path, std::string& error) {
  JournalWriter journal;
  journal.name = path;
  journal.file.fd = call_open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
  struct stat info;
  if (journal.file.fd < 0 || fstat(journal.file.fd, &info) != 0) {
    error = "cannot be written to";
    return std::nullopt;
  }
  if (flock(journal.file.fd, LOCK_EX | LOCK_NB) != 0) {
    error = "is in use by another rerate";
    return std::nullopt;
  }
  journal.device = static_cast<std::uint64_t>(info.st_dev);
  journal.size = info.st_size;
  return journal;
}

void trim_journal(JournalWriter& journal, off_t whole_bytes) {
  // Should this fail, the cut line stays unreadable, after every entry before it.
  if (journal.size > whole_bytes && call_truncate(journal.file.fd, whole_bytes) == 0)
    journal.size = whole_bytes;
}

bool append_journal(JournalWriter& journal, std::string_view text) {
  std::string_view left = text;
  while (!left.empty()) {
    ssize_t written = call_write(journal.file.fd, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      int error = written < 0 ? errno : ENOSPC;
      call_truncate(journal.file.fd, journal.size);  // no line is left cut short
      errno = error;
      return false;
    }
    left.remove_prefix(static_cast<std::size_t>(written));
  }
  journal.size += static_cast<off_t>(text.size());
  return true;
}

std::string journal_entry(const JournalFile& file) {
  std::string number = std::to_string(file.number);
  std::string text = "file " + number + " " + escape_text(file.path) + "\n";
  char hashes[64];
  std::snprintf(hashes, sizeof hashes, "%016" PRIx64 " %016" PRIx64, file.old_hash, file.new_hash);
  text += "hashes " + number + " " + hashes + "\n";
  for (const JournalMeter& meter : file.meters)
    text += "meter " + number + " " + std::to_string(meter.offset) + " " + meter.new_text + " " +
            meter.old_text + " " + meter.chart + "\n";
  return text;
}

std::string journal_temp(int number, const std::string& temp) {
  return "temp " + std::to_string(number) + " " + escape_text(temp.substr(temp.rfind('/') + 1)) +
         "\n";
}

std::string journal_mark(std::string_view word, int number, const std::optional<FileStamp>& stamp) {
  std::string text = std::string(word) + " " + std::to_string(number);
  if (stamp) text += " " + stamp_text(*stamp);
  return text + "\n";
}

std::optional<JournalReader> open_journal_reader(const std::string& path, std::string& error) {
  JournalReader reader;
  reader.file.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat info;
  if (reader.file.fd < 0 || fstat(reader.file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "cannot be read";
    return std::nullopt;
  }
  reader.buffer = std::make_unique_for_overwrite<char[]>(longest_line);
  std::string line;
  bool has_line = read_line(reader, line);
  if (!has_line && reader.line_number == 0 && reader.stopped.empty() && reader.end == 0)
    return reader;  // empty: a run killed as it began
  JournalHeader& header = reader.header;
  header.format = line == first_line ? 2 : line == first_line_of_format_1 ? 1 : 0;
  if (!has_line || header.format == 0) {
    error = "is not a rerate undo journal";
    return std::nullopt;
  }
  if (header.format == 1) header.hash = legacy_hash_name;
  read_header_fields(reader);
  if (header.hash != content_hash_name && header.hash != legacy_hash_name) {
    error = header.hash.empty()
                ? "names no content hash"
                : "uses the content hash " + header.hash + ", which this rerate does not compute";
    return std::nullopt;
  }
  return reader;
}

std::uint64_t journal_content_hash(const JournalHeader& header, std::string_view bytes) {
  return header.hash == legacy_hash_name ? legacy_content_hash(bytes) : content_hash(bytes);
}

JournalRecord next_journal_record(JournalReader& reader) {
  std::string line;
  while (read_line(reader, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::string_view fields = line;
    std::string_view word = next_word(fields);
    JournalRecord record;
    if (!parse_number(next_word(fields), record.number) || record.number <= 0)
      return stop_reading(reader);
    if (word != "file") {
      if (record.number > reader.last_number || !read_mark(word, fields, record))
        return stop_reading(reader);
      return record;
    }
    std::optional<std::string> path = unescape_text(fields);
    if (record.number != reader.last_number + 1 || !path) return stop_reading(reader);
    reader.last_number = record.number;
    record.kind = JournalRecordKind::File;
    record.file.number = record.number;
    record.file.path = std::move(*path);
    bool has_hashes = false;
    if (!read_entry(reader, record.file, has_hashes)) return stop_reading(reader);
    if (has_hashes && (reader.header.format != 1 || !record.file.target.empty())) return record;
  }
  return JournalRecord{};
}

std::optional<Journal> read_journal(const std::string& path, std::string& error) {
  std::optional<JournalReader> reader = open_journal_reader(path, error);
  if (!reader) return std::nullopt;
  Journal journal;
  journal.header = reader->header;
  std::vector<int> index;  // by file number: its place in `files`, or -1 when passed over
  for (JournalRecord record = next_journal_record(*reader); record.kind != JournalRecordKind::End;
       record = next_journal_record(*reader)) {
    index.resize(static_cast<std::size_t>(reader->last_number) + 1, -1);
    if (record.kind == JournalRecordKind::File) {
      index[static_cast<std::size_t>(record.number)] = static_cast<int>(journal.files.size());
      journal.files.push_back(std::move(record.file));
      continue;
    }
    int at = index[static_cast<std::size_t>(record.number)];
    if (at < 0) continue;
    JournalFile& file = journal.files[static_cast<std::size_t>(at)];
    if (record.kind == JournalRecordKind::Replaced) file.replaced = record.stamp;
    if (record.kind == JournalRecordKind::Kept) file.kept = true;
    if (record.kind == JournalRecordKind::Restored) file.restored = true;
  }
  journal.stopped = reader->stopped;
  return journal;
}

bool is_journal_name(std::string_view name) {
  if (!name.starts_with(journal_prefix) || !name.ends_with(journal_suffix)) return false;
  name.remove_prefix(journal_prefix.size());
  name.remove_suffix(journal_suffix.size());
  if (name.size() < journal_time_form.size()) return false;
  for (std::size_t i = 0; i < journal_time_form.size(); ++i) {
    bool digit = name[i] >= '0' && name[i] <= '9';
    if (journal_time_form[i] == '0' ? !digit : name[i] != journal_time_form[i]) return false;
  }
  std::string_view number = name.substr(journal_time_form.size());
  if (number.empty()) return true;
  int n = 0;
  return number[0] == '-' && number.size() > 1 && number[1] != '0' &&
         parse_number(number.substr(1), n) && n >= 2;
}

std::optional<std::string> unescape_journal_text(std::string_view text) {
  return unescape_text(text);
}

std::vector<FoundJournal> journals_newest_first(const std::string& folder) {
  std::vector<FoundJournal> journals;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return journals;
  while (const dirent* entry = readdir(dir)) {
    if (!is_journal_name(entry->d_name)) continue;
    std::string path = folder + "/" + entry->d_name;
    std::string error;
    std::optional<JournalReader> reader = open_journal_reader(path, error);
    if (!reader) continue;
    if (reader->header.format == 1) next_journal_record(*reader);  // its time is in its entry
    const JournalHeader& header = reader->header;
    journals.push_back({std::move(path), header.started_seconds, header.started_nanoseconds});
  }
  closedir(dir);
  auto newer = [](const FoundJournal& a, const FoundJournal& b) {
    return std::tuple(a.started_seconds, a.started_nanoseconds, a.path.size(), a.path) >
           std::tuple(b.started_seconds, b.started_nanoseconds, b.path.size(), b.path);
  };
  std::sort(journals.begin(), journals.end(), newer);
  return journals;
}
