// songfile/tokenizer_test.cpp: the token grammar, its limits, and writing back.
#include "songfile/tokenizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "songfile/song_reader.h"
#include "tests/support/song_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/token_helpers.h"

namespace {

std::string repeated(char c, std::size_t n) { return std::string(n, c); }

// A tag of `length` name bytes, followed by `rest`.
std::string tag(std::size_t length, std::string_view rest) {
  std::string text = "#";
  text.append(length, 'N');
  text.append(rest);
  return text;
}

TEST(Tokenizer, SplitsTagsValuesAndDelimiters) {
  EXPECT_EQ("", describe_tokens(tokenize_text("")));
  EXPECT_EQ("ID[TITLE] Value[Song A] SemicolonDelim[;]",
            describe_tokens(tokenize_text("#TITLE:Song A;")));
  EXPECT_EQ("ID[BPMS] Value[0.000=120.000] CommaDelim[,] Value[4.000=240.000] SemicolonDelim[;]",
            describe_tokens(tokenize_text("#BPMS:0.000=120.000,4.000=240.000;")));
  EXPECT_EQ("Value[0000\\n1000\\n] CommaDelim[,] Whitespace[\\n] Value[0100]",
            describe_tokens(tokenize_text("0000\n1000\n,\n0100")));
  EXPECT_EQ("ID[] Value[x]", describe_tokens(tokenize_text("#:x")));
  EXPECT_EQ("ColonDelim[:] ColonDelim[:] Whitespace[ \\x09\\n\\x0B\\x0C]",
            describe_tokens(tokenize_text(":: \t\n\v\f")));
}

TEST(Tokenizer, CommentsStartOnlyWhereATokenStarts) {
  EXPECT_EQ("Comment[// hi\\n] ID[X]", describe_tokens(tokenize_text("// hi\n#X:")));
  EXPECT_EQ("Value[a//b]", describe_tokens(tokenize_text("a//b")));
  EXPECT_EQ("Value[/x]", describe_tokens(tokenize_text("/x")));
  EXPECT_EQ("Value[x] SemicolonDelim[;] Comment[// end]",
            describe_tokens(tokenize_text("x;// end")));
  EXPECT_EQ("Value[0000\\n// inside\\n0000\\n] CommaDelim[,]",
            describe_tokens(tokenize_text("0000\n// inside\n0000\n,")));
}

TEST(Tokenizer, TagNamesRunToTheNextColonWhateverLiesBetween) {
  EXPECT_EQ("Value[x#Y] ColonDelim[:] Value[z]", describe_tokens(tokenize_text("x#Y:z")));
  EXPECT_EQ("ID[A;B]", describe_tokens(tokenize_text("#A;B:")));
  EXPECT_EQ("ID[TITLE;\\n#ARTIST] Value[x] SemicolonDelim[;]",
            describe_tokens(tokenize_text("#TITLE;\n#ARTIST:x;")));
  EXPECT_EQ("failed", describe_tokens(tokenize_text("#")));
  EXPECT_EQ("failed", describe_tokens(tokenize_text("#TITLE:x;#")));
  EXPECT_EQ("failed", describe_tokens(tokenize_text("#TITLE")));
  EXPECT_EQ("failed", describe_tokens(tokenize_text("#TITLE;x;")));
}

TEST(Tokenizer, TagNamesHoldAtMost256Bytes) {
  for (std::size_t length : {255u, 256u}) {
    auto list = tokenize_text(tag(length, ":v;"));
    ASSERT_TRUE(list) << length;
    EXPECT_EQ(length, list->tokens[0].length);
  }
  EXPECT_FALSE(tokenize_text(tag(257, ":v;")));
  EXPECT_FALSE(tokenize_text(tag(256, "")));
}

TEST(Tokenizer, CommentsWhiteSpaceAndValuesFailFrom4096Bytes) {
  std::string comment_4095 = "//" + repeated('c', 4093);
  auto accepted = tokenize_text(comment_4095 + "\n#X:");
  ASSERT_TRUE(accepted);
  EXPECT_EQ(4096, accepted->tokens[0].length);  // with its LF
  EXPECT_TRUE(tokenize_text(comment_4095));
  EXPECT_TRUE(tokenize_text(comment_4095 + "\r\n#X:"));  // the CR before the LF counts as nothing
  EXPECT_FALSE(tokenize_text(comment_4095 + "c\n"));
  EXPECT_FALSE(tokenize_text(comment_4095 + "c"));

  for (char c : {' ', 'v'}) {
    EXPECT_TRUE(tokenize_text(repeated(c, 4095) + ";")) << c;
    EXPECT_FALSE(tokenize_text(repeated(c, 4096) + ";")) << c;
    EXPECT_FALSE(tokenize_text(repeated(c, 4096))) << c;
  }
  // A CR LF counts as one character: 4095 of them read as 4095 LFs.
  std::string crlf_run;
  for (int i = 0; i < 4095; ++i) crlf_run += "\r\n";
  EXPECT_TRUE(tokenize_text(crlf_run));
  EXPECT_FALSE(tokenize_text(crlf_run + "\r\n"));
}

TEST(Tokenizer, ByteOrderMarksAreDroppedWhereATokenStartsOnly) {
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(describe_tokens(tokenize_text("#TITLE:A;")),
            describe_tokens(tokenize_text(bom + "#TITLE:A;")));
  EXPECT_EQ("ID[A] Value[x] SemicolonDelim[;] ID[B] Value[y]",
            describe_tokens(tokenize_text("#A:x;" + bom + "#B:y")));
  EXPECT_EQ("Value[x\\xEF\\xBB\\xBFy]", describe_tokens(tokenize_text("x" + bom + "y")));
  EXPECT_EQ("Value[\\xEF\\xBB]", describe_tokens(tokenize_text("\xEF\xBB")));
}

// Tokens hold the bytes on disk; their text is what text mode reads: a CR before an LF
// counts as nothing, and the text ends at the first 0x1A byte.
TEST(Tokenizer, ReadsTextModeLineEndsAndStopsAtControlZ) {
  auto list = tokenize_text("#A:x\r\ny\r;\r\n");
  ASSERT_TRUE(list);
  EXPECT_EQ("ID[A] Value[x\\r\\ny\\r] SemicolonDelim[;] Whitespace[\\r\\n]", describe_tokens(list));
  TokenReader in = make_token_reader(list->bytes);
  EXPECT_EQ("x\ny\r", token_text(in, list->tokens[1]));
  EXPECT_EQ("ID[A] Value[x] SemicolonDelim[;] Whitespace[\\r]",
            describe_tokens(tokenize_text("#A:x;\r\x1A\n")));
  EXPECT_EQ("ID[A] Value[x] SemicolonDelim[;]", describe_tokens(tokenize_text("#A:x;\x1A#B:\x1A"
                                                                              "anything\r\n")));
  // What follows a 0x1A is never tokenized, so it cannot break a rule.
  EXPECT_TRUE(tokenize_text("x\x1A#"));
}

TEST(Tokenizer, KeepsZeroBytesAndHighBytes) {
  auto list = tokenize_text(std::string("#TI\0X:a\0b;\xFF", 11));
  ASSERT_TRUE(list);
  EXPECT_EQ("ID[TI\\x00X] Value[a\\x00b] SemicolonDelim[;] Value[\\xFF]", describe_tokens(list));
  TokenReader in = make_token_reader(list->bytes);
  EXPECT_EQ("TI", token_compared(in, list->tokens[0]));
  EXPECT_EQ(std::string("a\0b", 3), token_bytes(in, list->tokens[1]));
}

// Values are searched for their end several bytes at a time: the end must be found at
// any distance from the value's start, and no other byte may end a value.
TEST(Tokenizer, ValuesEndAtTheFirstSeparatorWhereverItFalls) {
  for (char separator : {',', ':', ';'}) {
    for (std::size_t length = 1; length <= 24; ++length) {
      auto list = tokenize_text(repeated('0', length) + separator + "1000" + separator);
      ASSERT_TRUE(list);
      ASSERT_EQ(4u, list->tokens.size()) << separator << length;
      EXPECT_EQ(length, list->tokens[0].length) << separator << length;
      TokenReader in = make_token_reader(list->bytes);
      EXPECT_EQ(std::string(1, separator), token_bytes(in, list->tokens[1])) << length;
      EXPECT_EQ("1000", token_bytes(in, list->tokens[2])) << separator << length;
    }
  }
  std::string every_other_byte = "x";
  for (int byte = 0; byte < 256; ++byte)
    if (byte != ',' && byte != ':' && byte != ';' && byte != 0x1A)
      every_other_byte += static_cast<char>(byte);
  auto list = tokenize_text(every_other_byte + every_other_byte + ";");
  ASSERT_TRUE(list);
  ASSERT_EQ(2u, list->tokens.size());
  EXPECT_EQ(2 * every_other_byte.size(), list->tokens[0].length);
}

// Every byte of the text belongs to exactly one token, apart from the byte-order marks
// where tokens start: written back, the tokens give the text again.
std::string write_back(const TokenizedText& text) {
  std::string out;
  for (const Token& token : text.tokens) {
    std::string_view bytes = std::string_view(text.bytes).substr(token.start, token.length);
    out += token.kind == TokenKind::ID ? "#" + std::string(bytes) + ":" : std::string(bytes);
  }
  return out;
}

TEST(Tokenizer, TokensCoverEveryByteOfTheText) {
  const char* inputs[] = {
      "",
      "#TITLE:Song A;\r\n",
      "a//b",
      "// end\r\n",
      "x\ry;\r\r",
      "#A;B:\xFF:;,,::",
      "#NOTES:\n     dance-single:\n     desc:\n     Hard:\n     9:\n0000\n;\n"};
  for (const char* input : inputs) {
    auto text = tokenize_text(input);
    ASSERT_TRUE(text) << input;
    EXPECT_EQ(input, write_back(*text)) << input;
  }
  EXPECT_EQ("#A:x;#B:y", write_back(*tokenize_text("\xEF\xBB\xBF#A:x;\xEF\xBB\xBF#B:y\x1Az")));
}

// The tag names (offsets) a walk finds in `text`, and "failed" when it ends in a failure.
template <typename Next>
std::string walk_tags(std::string_view text, Next next) {
  TokenReader in = make_token_reader(text);
  std::string found;
  while (std::optional<Token> token = next(in))
    if (token->kind == TokenKind::ID) found += std::to_string(token->start) + ' ';
  return in.failed ? found + "failed" : found;
}

// Passing over everything but tag names finds the tags and the failures that reading
// every token finds, in texts made of the bytes that matter to the grammar, with
// stretches between separators of every length around a 16-byte chunk and the limit.
TEST(Tokenizer, NextTagFindsWhatEveryTokenShows) {
  const std::string value = repeated('0', 4079), run = repeated('\n', 4090);
  const std::string pieces[] = {
      ",", ":", ";", "#A:", "//c,#B:\n", " ", "\r\n", "\xEF\xBB\xBF", "x#", "0000\n", value, run};
  std::mt19937 random(18);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (std::size_t n = random() % 40; n > 0; --n) text += pieces[random() % std::size(pieces)];
    ASSERT_EQ(walk_tags(text, next_token), walk_tags(text, next_tag)) << "text " << i;
  }
}

// Every song file of the demo library, and of the real corpus when it is there.
TEST(Tokenizer, SongFilesAreCoveredByTheirTokens) {
  std::vector<std::string> libraries = {RERATE_EXAMPLES_DIR};
  if (!corpus_dir().empty()) libraries.push_back(corpus_dir());
  int files = 0;
  for (const std::string& library : libraries) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(library + "/Songs")) {
      if (!entry.is_regular_file() || !song_format_of(entry.path().filename().string())) continue;
      std::string original = read_file(entry.path().string());
      auto text = tokenize_text(original);
      if (entry.path().filename() == "Broken Song.sm") {  // the demo's unreadable song
        EXPECT_FALSE(text);
        continue;
      }
      ASSERT_TRUE(text) << entry.path();
      std::string_view expected = original;
      if (expected.starts_with("\xEF\xBB\xBF")) expected.remove_prefix(3);
      expected = expected.substr(0, expected.find('\x1A'));
      EXPECT_EQ(expected, write_back(*text)) << entry.path();
      ++files;
    }
  }
  EXPECT_GE(files, libraries.size() == 1 ? 11 : 81);
}

}  // namespace
