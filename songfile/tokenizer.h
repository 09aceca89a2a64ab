// songfile/tokenizer.h: turns a song file into a lossless list of tokens.
// The tokenizer knows the punctuation only: '#' opens a tag name that runs to ':', and
// ',' ':' ';' separate values. Writing the tokens back gives the text again.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "songfile/token.h"

// Longest tag name, and the length from which a comment, white-space run or value fails.
constexpr std::size_t tag_name_limit = 256;
constexpr std::size_t text_limit = 4096;

// Tokenizes one song file. Returns nothing when the file cannot be read or breaks a
// limit; nothing stays allocated then.
std::optional<TokenList> tokenize_song_file(const std::string& path);

// Tokenizes bytes as a file holds them (CR LF line ends and a 0x1A byte included).
std::optional<TokenList> tokenize_song_bytes(std::unique_ptr<char[]> bytes, std::size_t size,
                                             FileStamp stamp = {});
