// rewrite/undo_test.cpp: undoing by the files' bytes, newest run first and again; and
// journals made to harm: none changes anything but meter digits inside Songs.
#include "rewrite/undo.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "rewrite/journal.h"
#include "tests/support/small_library.h"

namespace fs = std::filesystem;

namespace {

std::string newest() { return newest_journal(".").value_or("./none").substr(2); }

// Two rewrites undone newest first, each twice, a file touched meanwhile: the bytes count,
// not the inode or times, which the undo itself changes. A file moved away with a link in
// its place is restored where it now is, in a library moved as a whole. Plain --undo takes the
// newest journal by the time inside it, of a run that replaced a file, among names of the exact
// journal form.
TEST_F(SmallLibraryTest, RunsAreUndoneNewestFirstByTheirBytesAgainAndAgain) {
  rewrite();
  std::string first = newest(), text = read_file(first);
  rewrite({}, {}, 3);
  std::string second = newest(), entries = text.substr(text.find("file 1"));
  std::size_t time = text.find("# started ") + 10, end = text.find(' ', time);
  std::string kept =
      entries.substr(0, entries.find("replaced")) + "kept 1\nkept 2\nkept 3\nkept 4\n";
  for (auto [name, started, body] :
       {std::tuple("rerate-undo-2099-01-01T00-00-00Z.txt", "1.0", entries),
        {"rerate-undo-zzz.txt", "4000000000.0", entries},
        {"rerate-undo-2097-01-01T00-00-00Z-02.txt", "4000000000.0", entries},
        {"rerate-undo-2098-01-01T00-00-00Z.txt", "4000000000.0", kept}})
    write_file(name, text.substr(0, time) + started + "00000000" +
                         text.substr(end, text.find("file 1") - end) + body);
  EXPECT_EQ(second, newest());
  EXPECT_TRUE(undo(second).starts_with(
      "Restored Songs/G/A/a.sm\n - Single Hard (6 -> 8)\n - Double Easy (5 -> 6)\n"));
  EXPECT_EQ(second, newest());
  std::string again = "Already restored Songs/G/C/c.sm\nNothing to restore: no file of ";
  EXPECT_TRUE(undo(second).ends_with(again + second + " is left to undo\n"));
  fs::last_write_time(files[3], fs::file_time_type());  // its times move, not its bytes
  fs::rename(files[2], "Songs/G/B/moved.sm");
  fs::create_symlink("moved.sm", files[2]);
  fs::create_directory("moved");  // the whole library, with its journals
  fs::rename("Songs", "moved/Songs");
  fs::rename(first, "moved/" + first);
  EXPECT_TRUE(
      undo("moved/" + first).ends_with(" 4 of 4 song files changed by moved/" + first + "\n"));
  fs::rename("moved/Songs", "Songs");
  EXPECT_TRUE(fs::is_symlink(files[2]));
  EXPECT_EQ("oooo", states());
}

// Journals written before the content hash was xxh3 (format 1, and format 2 naming mix64)
// hold that hash of the file's bytes, here as rerate wrote it then: the file is found
// (newest_journal of a run stopped before its marks) and undone byte for byte with it.
TEST_F(SmallLibraryTest, JournalsOfTheOldContentHashAreStillUndone) {
  const std::string old_bytes =
      "#TITLE:Old content hash;\r\n#NOTES:dance-single::Hard:12:0:0000;\r\n";
  const std::string new_bytes =
      "#TITLE:Old content hash;\r\n#NOTES:dance-single::Hard:8:0:0000;\r\n";
  std::string entry = "hashes 1 2915e6254601ea6f 9a621f9a62066566\nmeter 1 52 8 12 Single Hard\n";
  const std::string journals[] = {
      "# rerate undo journal, format 1\nfile 1 Songs/G/B/b.sm\ntarget 1 " + dir.path +
          "/Songs/G/B/b.sm\n" + entry +
          "written 1 device 1 inode 2 size 63 mtime 1796634000.000000000 ctime 1.000000000\n",
      "# rerate undo journal, format 2\n# hash mix64\n# started 1796634000.123456789 x\n"
      "file 1 Songs/G/B/b.sm\n" +
          entry};
  EXPECT_EQ(0x61204057fe720c2aU, content_hash(new_bytes));  // new journals' hash: XXH3-64
  const std::string name = "rerate-undo-2026-12-07T09-16-52Z.txt";
  for (const std::string& journal : journals) {
    write_file(files[2], new_bytes);
    write_file(name, journal);
    EXPECT_EQ(name, newest());
    std::string report = undo(name);
    EXPECT_TRUE(report.starts_with("Restored Songs/G/B/b.sm\n - Single Hard (8 -> 12)")) << report;
    EXPECT_EQ(old_bytes, read_file(files[2]));
    EXPECT_TRUE(undo(name).starts_with("Already restored")) << journal;
  }
}

// Each journal shows one attack on the smallest entry that shows it. Only the entry whose
// path leads into Songs restores its file.
TEST_F(SmallLibraryTest, AJournalChangesOnlyMeterDigitsInsideTheSongsFolderBesideIt) {
  rewrite();
  std::string text = read_file(newest()), error;
  std::string header = text.substr(0, text.find("file 1 "));
  Journal journal = read_journal(newest(), error).value();
  JournalFile b = journal.files[2], c = journal.files[3], letters = b;
  std::string outside = dir.path + "/outside.sm";
  write_file(outside, after[2]);
  fs::create_directories("Songs/G/L");
  fs::create_symlink(outside, "Songs/G/L/l.sm");
  ASSERT_EQ(0, mkfifo("Songs/G/L/pipe", 0644));
  fs::create_symlink("pipe", "Songs/G/L/p.sm");
  letters.meters[0].old_text = "12;#X:1";
  auto at = [&](std::string path, JournalFile entry) {
    entry.number = 1;
    entry.path = path;
    return header + journal_entry(entry);
  };
  auto format_1 = [&](const std::string& target, const JournalFile& entry) {  // rerate 1.0's
    std::string lines = at(entry.path, entry).substr(header.size());
    return "# rerate undo journal, format 1\n" +
           lines.insert(lines.find('\n') + 1, "target 1 " + target + "\n");
  };
  std::string not_inside = ": it is not inside the Songs folder beside the journal";
  const std::pair<std::string, std::string> attacks[] = {
      {at(outside, b), "Not restored " + outside + not_inside},
      {at("Songs/G/L/l.sm", b), "Not restored Songs/G/L/l.sm" + not_inside},
      {at("Songs/../outside.sm", b),
       "Not restored Songs/../outside.sm: its path in the journal is not one a rewrite writes"},
      {at("Songs/G/B/b.sm", letters),
       "Not restored Songs/G/B/b.sm: its journal entry changes more than meter digits"},
      {at("Songs/G/L/p.sm", b), "Not restored Songs/G/L/p.sm: it cannot be read"},
      {at("Songs/G/\x1b]2;x\x07/b.sm", b),
       "Not restored Songs/G/\\x1b]2;x\\x07/b.sm: it cannot be read"},
      {format_1(outside, b), "Not restored Songs/G/B/b.sm" + not_inside},
      {format_1(dir.path + "/Songs/G/C/c.sm", c),  // its hashes are not the old hash's
       "Not restored Songs/G/C/c.sm: it changed after the rewrite"},
      {"# some other file\n", "is not a rerate undo journal"},
      {header + "file 1 a\nhashes 1 1 2\nmeter 1 x\n",
       "Not restored: the rest of the journal (line 14 cannot be read)"},
      {"# rerate undo journal, format 2\n# hash crc32\n",
       "uses the content hash crc32, which this rerate does not compute"},
      {header + std::string(70000, 'x') + "\n",
       "Not restored: the rest of the journal (line 12 is too long)"},
      {at(dir.path + "/Songs/G/B/b.sm", b) + "file 2 Songs/G/C/c",
       "Restored " + dir.path + "/Songs/G/B/b.sm"},
      {header + journal_entry([&] {  // entries are numbered in order, from 1
         JournalFile skipped = b;
         skipped.number = 2;
         return skipped;
       }()),
       "Not restored: the rest of the journal (line 12 cannot be read)"},
      {text + "garbage\nfile 5 x\n",
       "Not restored: the rest of the journal (line 36 cannot be read)"},
  };
  for (const auto& [attack, line] : attacks) {
    write_file("attack.txt", attack);
    std::string report = undo("attack.txt");
    EXPECT_NE(std::string::npos, report.find(line)) << report;
    EXPECT_EQ(after[2], read_file(outside));
  }
  EXPECT_EQ("oooo", states());
  // A journal of 2 GB (a sparse file) is refused by its first line, without reading it.
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  long peak = usage.ru_maxrss;
  write_file("big.txt", "");
  fs::resize_file("big.txt", 2LL << 30);
  EXPECT_EQ("is not a rerate undo journal", undo("big.txt"));
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, peak + 100000);  // kB
}

}  // namespace
