// app/command_line_test.cpp: command lines read as the usage says.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string read(std::vector<const char*> arguments) {
  CommandLine line = parse_command_line(arguments);
  const char* names[] = {"run", "help", "version", "undo", "misuse", "rescale", "list"};
  std::string text = names[static_cast<int>(line.command)] + (" [" + line.journal + "]");
  return line.library.empty() ? text : text + " in " + line.library;
}

TEST(CommandLine, ReadsEachFormAndRefusesTheRest) {
  EXPECT_EQ("run []", read({}));
  EXPECT_EQ("help []", read({"--version", "-h"}));
  EXPECT_EQ("version []", read({"--undo", "-V"}));
  EXPECT_EQ("undo []", read({"--undo"}));
  EXPECT_EQ("undo [j.txt]", read({"--undo", "j.txt"}));
  EXPECT_EQ("undo [j.txt]", read({"--undo=j.txt"}));
  EXPECT_EQ("undo [-j.txt]", read({"--undo", "--", "-j.txt"}));
  EXPECT_EQ("run [] in lib", read({"lib"}));
  EXPECT_EQ("undo [a] in b", read({"--undo", "a", "b"}));
  EXPECT_EQ("undo [] in b", read({"b", "--undo"}));
  EXPECT_EQ("undo [a] in -b", read({"--undo", "--", "a", "-b"}));
  EXPECT_EQ("misuse []", read({"--undo", "a", "b", "c"}));
  EXPECT_EQ("misuse []", read({"--help", "--colour"}));
  EXPECT_EQ("misuse []", read({"--undo", "--undo"}));
  EXPECT_EQ("rescale [] in lib", read({"lib", "--divisor", "1.5"}));
  EXPECT_EQ("list [] in lib", read({"--list", "--group=x", "lib"}));
  EXPECT_EQ("run []", read({"--mode", "single"}));
  EXPECT_EQ("help []", read({"--divisor", "1.5", "--help"}));
  EXPECT_EQ("misuse []", read({"--dry-run", "--list"}));
  const std::pair<std::vector<const char*>, const char*> faults[] = {
      {{"-x"}, "unknown option '-x'"},
      {{"-hx"}, "unknown option '-x'"},
      {{"--colour=red"}, "unknown option '--colour'"},
      {{"--version=2"}, "option '--version' takes no value"},
      {{"a", "b"}, "unexpected argument 'b'"}};
  for (const auto& [words, error] : faults) EXPECT_EQ(error, parse_command_line(words).error);
}

}  // namespace
