// browser/search_index_test.cpp: what a search text finds, across letter case, accents,
// character widths, folder names and transliterated titles.
#include "browser/search_index.h"

#include <gtest/gtest.h>

#include "tests/support/library_builder.h"

namespace {

// Each song found by a text typed, each case missed by the old hand-written tables but the
// bytes that are no UTF-8: they match as they are, and the valid text around them folds all
// the same (the group's name is there to catch a fold that loses either).
TEST(SearchIndex, FindsSongsWhateverTheCaseAccentsWidthOrNameTheyGoBy) {
  struct Case {
    std::string title, search, folder = "", translit = "";
  };
  const Case cases[] = {
      {"Café Noir", "cafe"},
      {"Straße", "STRASSE"},
      {"Κόσμος", "ΚΟΣΜΟΣ"},      // tonos and final sigma
      {"ᲛᲐᲠᲘ", "მარი"},  // Georgian
      {"ᏣᎳᎩ", "ꮳꮃꭹ"},      // Cherokee
      {"Night Drive", "YORU NO", "Yoru no Drive"},
      {"夜桜", "YOZAKURA", "", "Yozakura"},
      {"Caf\xe9 \x80 ÜBER", "caf\xe9 \x80 über"},
      {"Caf\xe9 \xfd", "\xfd"},
      {"ＲＯＣＫ", "rock"},
      {"Don’t Stop", "DON'T"},
  };
  TestGroup pack{"Pack \xe9\x80 ÜBER", {}};
  for (const Case& song : cases) pack.songs.push_back({song.title, {}});
  std::vector<SongGroup> groups = make_library({pack});
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    if (!cases[i].folder.empty()) groups[0].songs[i].folder = cases[i].folder;
    groups[0].songs[i].title_translit = cases[i].translit;
  }
  SearchIndex index = build_search_index(build_rows(groups), groups);
  for (int row = 1; const Case& song : cases)
    EXPECT_EQ(row++, find_forward(index, fold_case(song.search), 0).value_or(-1)) << song.search;
  EXPECT_EQ("", fold_case("\u0301"));  // a lone accent, which finds nothing
  EXPECT_FALSE(find_forward(index, "", 0) || find_backward(index, "", 3));
}

}  // namespace
