// rewrite/journal.cpp: writing the undo journal, and reading it back for an undo.
#include "rewrite/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <utility>

namespace {

constexpr std::string_view journal_prefix = "rerate-undo-";
constexpr std::string_view journal_suffix = ".txt";
constexpr std::size_t journal_time_length = 20;  // "2026-12-07T09-16-52Z"
constexpr int most_names_tried = 1000;

constexpr std::string_view journal_header =
    "# rerate undo journal, format 1\n"
    "# Undo the rewrite it records with: rerate --undo <this file>\n"
    "# file N PATH, target N FILE: a song file the rewrite sets out to replace.\n"
    "# hashes N OLD NEW: hashes of its content before and after.\n"
    "# meter N OFFSET NEW OLD CHART: a changed meter, at a byte offset in the new file.\n"
    "# written N STAMP: the new file before it takes the old one's place.\n"
    "# replaced N STAMP: the new file is in place; kept N: the file was left as it was.\n"
    "# restoring N STAMP, restored N STAMP: the same two steps for an undo.\n";

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

// Splits off the next word of `line` (up to a space or the end).
std::string_view next_word(std::string_view& line) {
  std::size_t space = line.find(' ');
  std::string_view word = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return word;
}

template <typename Number>
bool parse_number(std::string_view word, Number& number, int base = 10) {
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, number, base);
  return !word.empty() && ec == std::errc() && ptr == end;
}

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

// Applies one record to the file it names. Returns false when the record is not readable.
bool apply_record(std::string_view word, std::string_view fields, JournalFile& file) {
  if (word == "target") {
    std::optional<std::string> target = unescape_text(fields);
    if (!target) return false;
    file.target = *target;
    return true;
  }
  if (word == "hashes")
    return parse_number(next_word(fields), file.old_hash, 16) &&
           parse_number(next_word(fields), file.new_hash, 16) && fields.empty();
  if (word == "meter") {
    std::optional<JournalMeter> meter = parse_meter(fields);
    if (meter) file.meters.push_back(std::move(*meter));
    return meter.has_value();
  }
  if (word == "kept") {
    file.kept = true;
    return fields.empty();
  }
  std::optional<FileStamp> stamp = parse_stamp(fields);
  std::optional<FileStamp>* slot = word == "written"     ? &file.written
                                   : word == "replaced"  ? &file.replaced
                                   : word == "restoring" ? &file.restoring
                                   : word == "restored"  ? &file.restored
                                                         : nullptr;
  if (slot == nullptr || !stamp) return false;
  *slot = stamp;
  return true;
}

// Orders journal names by the time in them, then by the number after it.
struct JournalTime {
  std::string time;
  int number;
};

std::optional<JournalTime> journal_time(std::string_view name) {
  if (!name.starts_with(journal_prefix) || !name.ends_with(journal_suffix)) return std::nullopt;
  name.remove_prefix(journal_prefix.size());
  name.remove_suffix(journal_suffix.size());
  if (name.size() < journal_time_length) return std::nullopt;
  JournalTime time{std::string(name.substr(0, journal_time_length)), 1};
  std::string_view rest = name.substr(journal_time_length);
  if (!rest.empty() && !(rest[0] == '-' && parse_number(rest.substr(1), time.number)))
    return std::nullopt;
  return time;
}

bool flush_working_folder() {
  int dir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  bool ok = fsync(dir) == 0;
  close(dir);
  return ok;
}

void set_device(JournalWriter& journal) {
  struct stat info;
  if (fstat(journal.fd, &info) == 0) journal.device = static_cast<std::uint64_t>(info.st_dev);
}

}  // namespace

JournalWriter::JournalWriter(JournalWriter&& other) noexcept
    : fd(std::exchange(other.fd, -1)), name(std::move(other.name)), device(other.device) {}

JournalWriter& JournalWriter::operator=(JournalWriter&& other) noexcept {
  if (this != &other) {
    if (fd >= 0) close(fd);
    fd = std::exchange(other.fd, -1);
    name = std::move(other.name);
    device = other.device;
  }
  return *this;
}

JournalWriter::~JournalWriter() {
  if (fd >= 0) close(fd);
}

std::string journal_name(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  char time[32];
  std::strftime(time, sizeof time, "%Y-%m-%dT%H-%M-%SZ", &utc);
  return std::string(journal_prefix) + time + std::string(journal_suffix);
}

std::optional<JournalWriter> create_journal(std::time_t now) {
  std::string base = journal_name(now);
  base.resize(base.size() - journal_suffix.size());
  JournalWriter journal;
  for (int n = 1; n <= most_names_tried && journal.fd < 0; ++n) {
    journal.name = base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(journal_suffix);
    journal.fd =
        open(journal.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (journal.fd < 0 && errno != EEXIST) return std::nullopt;
  }
  if (journal.fd < 0) return std::nullopt;
  set_device(journal);
  flock(journal.fd, LOCK_EX | LOCK_NB);  // no undo of it while the rewrite runs
  if (!append_journal(journal, journal_header) || !flush_working_folder()) {
    unlink(journal.name.c_str());
    return std::nullopt;
  }
  return journal;
}

std::optional<JournalWriter> open_journal(const std::string& path) {
  JournalWriter journal;
  journal.name = path;
  journal.fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (journal.fd < 0) return std::nullopt;
  set_device(journal);
  return journal;
}

bool append_journal(JournalWriter& journal, std::string_view text, bool on_disk_later) {
  while (!text.empty()) {
    ssize_t written = write(journal.fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return on_disk_later || fdatasync(journal.fd) == 0;
}

std::string journal_entry(const JournalFile& file) {
  std::string number = std::to_string(file.number);
  std::string text = "file " + number + " " + escape_text(file.path) + "\n";
  text += "target " + number + " " + escape_text(file.target) + "\n";
  char hashes[64];
  std::snprintf(hashes, sizeof hashes, "%016" PRIx64 " %016" PRIx64, file.old_hash, file.new_hash);
  text += "hashes " + number + " " + hashes + "\n";
  for (const JournalMeter& meter : file.meters)
    text += "meter " + number + " " + std::to_string(meter.offset) + " " + meter.new_text + " " +
            meter.old_text + " " + meter.chart + "\n";
  if (file.written) text += journal_mark("written", file.number, file.written);
  return text;
}

std::string journal_mark(std::string_view word, int number, const std::optional<FileStamp>& stamp) {
  std::string text = std::string(word) + " " + std::to_string(number);
  if (stamp) text += " " + stamp_text(*stamp);
  return text + "\n";
}

std::optional<std::vector<JournalFile>> parse_journal(std::string_view text, std::string& error) {
  std::string_view first_line = journal_header.substr(0, journal_header.find('\n') + 1);
  if (first_line.starts_with(text)) return std::vector<JournalFile>();  // killed as it began
  if (!text.starts_with(first_line)) {
    error = "not a rerate undo journal";
    return std::nullopt;
  }
  std::vector<JournalFile> files;
  int line_number = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    std::string_view word = next_word(line);
    int number = 0;
    bool ok = parse_number(next_word(line), number) && number > 0;
    if (ok && word == "file") {
      std::optional<std::string> path = unescape_text(line);
      ok = path && number == static_cast<int>(files.size()) + 1;
      if (ok) {
        JournalFile& file = files.emplace_back();
        file.number = number;
        file.path = std::move(*path);
      }
    } else {
      ok = ok && number <= static_cast<int>(files.size()) &&
           apply_record(word, line, files[static_cast<std::size_t>(number - 1)]);
    }
    if (!ok) {
      error = "line " + std::to_string(line_number) + " cannot be read";
      return std::nullopt;
    }
  }
  return files;
}

bool same_content_stamp(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.mtime_seconds == b.mtime_seconds && a.mtime_nanoseconds == b.mtime_nanoseconds;
}

std::optional<std::string> newest_journal(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::optional<std::string> newest;
  std::optional<JournalTime> newest_time;
  while (dirent* entry = readdir(dir)) {
    std::optional<JournalTime> time = journal_time(entry->d_name);
    if (!time) continue;
    if (!newest_time ||
        std::pair(time->time, time->number) > std::pair(newest_time->time, newest_time->number)) {
      newest_time = time;
      newest = folder + "/" + entry->d_name;
    }
  }
  closedir(dir);
  return newest;
}
