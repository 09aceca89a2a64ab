// app/command_line_test.cpp: command lines read as the usage says.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string read(std::vector<const char*> arguments) {
  CommandLine line = parse_command_line(arguments);
  const char* names[] = {"run", "help", "version", "undo", "misuse"};
  return names[static_cast<int>(line.command)] + (" [" + line.journal + "]");
}

TEST(CommandLine, ReadsEachFormAndRefusesTheRest) {
  EXPECT_EQ("run []", read({}));
  EXPECT_EQ("help []", read({"--version", "-h"}));
  EXPECT_EQ("version []", read({"--undo", "-V"}));
  EXPECT_EQ("undo []", read({"--undo"}));
  EXPECT_EQ("undo [j.txt]", read({"--undo", "j.txt"}));
  EXPECT_EQ("undo [j.txt]", read({"--undo=j.txt"}));
  EXPECT_EQ("undo [-j.txt]", read({"--undo", "--", "-j.txt"}));
  EXPECT_EQ("misuse []", read({"j.txt"}));
  EXPECT_EQ("misuse []", read({"--undo", "a", "b"}));
  EXPECT_EQ("misuse []", read({"--undo=a", "b"}));
  EXPECT_EQ("misuse []", read({"--help", "--colour"}));
  EXPECT_EQ("misuse []", read({"--undo", "--undo"}));
  EXPECT_EQ("misuse []", read({"--", "x"}));
  EXPECT_EQ("unknown option '-x'", parse_command_line(std::vector<const char*>{"-x"}).error);
}

}  // namespace
