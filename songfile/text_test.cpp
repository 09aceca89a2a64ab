// songfile/text_test.cpp: control characters in library texts, escaped; other texts kept.
#include "songfile/text.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeControls, EveryControlCharacterIsEscapedAndNothingElse) {
  EXPECT_EQ("a\\x1b]2;t\\x07b\\x0a\\x0d\\x09\\x00\\x7f",
            escape_controls(std::string("a\x1b]2;t\x07"
                                        "b\n\r\t\0\x7f",
                                        13)));
  // C1 controls written in UTF-8, and as single bytes outside a UTF-8 sequence.
  EXPECT_EQ("\\x9b2J \\x85 \\x9b \\x80", escape_controls("\xC2\x9B"
                                                         "2J \xC2\x85 \x9B \x80"));
  // Accents, Japanese, a Latin-1 byte, a broken sequence and a backslash stay as they are.
  for (const char* kept : {"Café ÜNTERWELT", "夜明けの星空", "caf\xE9", "\xE6\xA5", "a\\x1b"})
    EXPECT_EQ(kept, escape_controls(kept)) << kept;
}

}  // namespace
