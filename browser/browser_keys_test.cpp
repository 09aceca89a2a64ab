// browser/browser_keys_test.cpp: the browser's keys, applied without a terminal.
#include <curses.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "browser/browser.h"
#include "tests/support/library_builder.h"

namespace {

constexpr TestChart single_hard{Mode::Single, Difficulty::Hard, 12};
constexpr TestChart single_easy{Mode::Single, Difficulty::Easy, 5};
constexpr TestChart double_medium{Mode::Double, Difficulty::Medium, 8};

// Rows: 0 Alpha, 1 A1, 2-3 its charts, 4 A2 (no charts), 5 A3, 6 its chart,
//       7 Beta, 8 B1, 9 its chart, 10 Gamma (no songs).
std::vector<SongGroup> three_groups() {
  return make_library({
      {"Alpha", {{"A1", {single_hard, double_medium}}, {"A2", {}}, {"A3", {single_easy}}}},
      {"Beta", {{"B1", {double_medium}}}},
      {"Gamma", {}},
  });
}

struct Browser {
  std::vector<SongGroup> groups;
  BrowserState state;
};

Browser open_browser(std::vector<SongGroup> groups, int list_height = 21) {
  BrowserState state = make_browser_state(groups, list_height);
  return Browser{std::move(groups), std::move(state)};
}

// Applies `keys` in order; true when one of them finished the browser.
bool press(Browser& b, std::vector<int> keys) {
  bool done = false;
  for (int key : keys) done = handle_browser_key(b.state, b.groups, key) || done;
  return done;
}

// The `expanded` flags of all rows, "1" or "0" each.
std::string expansion(const BrowserState& state) {
  std::string text;
  for (const TreeRow& row : state.rows) text += row.expanded ? "1" : "0";
  return text;
}

TEST(BrowserKeys, DownAndUpWrapAroundTheVisibleRows) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_DOWN});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {KEY_DOWN, KEY_DOWN});
  EXPECT_EQ(0, b.state.cursor);
  press(b, {KEY_UP});
  EXPECT_EQ(10, b.state.cursor);
  press(b, {KEY_UP});
  EXPECT_EQ(7, b.state.cursor);
}

TEST(BrowserKeys, DownWrapsFromTheLastRowOfAnExpandedList) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_RIGHT});  // Alpha open, cursor on A1's first chart
  EXPECT_EQ(2, b.state.cursor);
  press(b, {KEY_DOWN, KEY_DOWN, KEY_DOWN});
  EXPECT_EQ(5, b.state.cursor);  // A3 is collapsed: its chart is skipped
  press(b, {KEY_DOWN});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {KEY_END, KEY_DOWN});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, PageDownStopsOnTheLastVisibleRowAndPageUpOnRowZero) {
  Browser b = open_browser(make_library({make_test_group("Alpha", 30, 0)}), 5);
  press(b, {KEY_RIGHT});
  EXPECT_EQ(1, b.state.cursor);
  press(b, {KEY_NPAGE});
  EXPECT_EQ(6, b.state.cursor);
  press(b, {KEY_NPAGE, KEY_NPAGE, KEY_NPAGE, KEY_NPAGE, KEY_NPAGE, KEY_NPAGE});
  EXPECT_EQ(30, b.state.cursor);
  press(b, {KEY_PPAGE});
  EXPECT_EQ(25, b.state.cursor);
  press(b, {KEY_PPAGE, KEY_PPAGE, KEY_PPAGE, KEY_PPAGE, KEY_PPAGE});
  EXPECT_EQ(0, b.state.cursor);
  press(b, {KEY_PPAGE});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, PageKeysStillMoveWhenTheScreenHasNoListLines) {
  Browser b = open_browser(three_groups(), -1);
  press(b, {KEY_NPAGE});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {KEY_PPAGE});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, HomeAndEnd) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_END});
  EXPECT_EQ(10, b.state.cursor);
  press(b, {KEY_HOME});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, RightOpensAndLeftClosesStepByStep) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT});
  EXPECT_EQ(1, b.state.cursor);
  press(b, {KEY_RIGHT});
  EXPECT_EQ(2, b.state.cursor);
  EXPECT_EQ("11000000000", expansion(b.state));
  press(b, {KEY_LEFT});  // on a chart: back to its song, which closes
  EXPECT_EQ(1, b.state.cursor);
  EXPECT_EQ("10000000000", expansion(b.state));
  press(b, {KEY_LEFT});  // on a closed song: back to its group, which closes
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_EQ("00000000000", expansion(b.state));
  press(b, {KEY_LEFT});  // a closed group stays where it is
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_EQ("00000000000", expansion(b.state));
}

TEST(BrowserKeys, LeftOnAnOpenRowClosesItInPlace) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_RIGHT, KEY_UP});  // back on A1, open
  EXPECT_EQ(1, b.state.cursor);
  press(b, {KEY_LEFT});
  EXPECT_EQ(1, b.state.cursor);
  EXPECT_EQ("10000000000", expansion(b.state));
  press(b, {KEY_UP, KEY_LEFT});
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_EQ("00000000000", expansion(b.state));
}

TEST(BrowserKeys, ClosingAGroupKeepsItsSongsOpenForLater) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_RIGHT, KEY_HOME, KEY_LEFT});
  EXPECT_EQ("01000000000", expansion(b.state));
  press(b, {KEY_RIGHT, KEY_DOWN});
  EXPECT_EQ(2, b.state.cursor);  // A1's chart shows again
}

TEST(BrowserKeys, RightOnAChartDoesNothingAndOnAnOpenRowOnlyMoves) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_RIGHT, KEY_RIGHT});
  EXPECT_EQ(2, b.state.cursor);
  EXPECT_EQ("11000000000", expansion(b.state));
  press(b, {KEY_HOME, KEY_RIGHT});
  EXPECT_EQ(1, b.state.cursor);
  EXPECT_EQ("11000000000", expansion(b.state));
}

TEST(BrowserKeys, RightOnRowsWithoutChildrenMovesToTheNextRow) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_DOWN});
  EXPECT_EQ(4, b.state.cursor);  // A2, no charts
  press(b, {KEY_RIGHT});
  EXPECT_EQ(5, b.state.cursor);
  EXPECT_TRUE(b.state.rows[4].expanded);
}

TEST(BrowserKeys, RightOnTheVeryLastRowOpensItInPlace) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_END, KEY_RIGHT});  // Gamma, no songs
  EXPECT_EQ(10, b.state.cursor);
  EXPECT_TRUE(b.state.rows[10].expanded);

  Browser c = open_browser(make_library({{"Alpha", {{"Only", {}}}}}));
  press(c, {KEY_RIGHT, KEY_RIGHT});  // the song without charts is the last row
  EXPECT_EQ(1, c.state.cursor);
  EXPECT_EQ("11", expansion(c.state));
}

// The first group open with its third song, the last, open; then the group closed from
// its group row. `song_row` is the third song's row.
Browser with_hidden_open_song(std::vector<SongGroup> groups, int song_row) {
  Browser b = open_browser(std::move(groups), 3);
  press(b, {KEY_RIGHT, KEY_DOWN, KEY_DOWN, KEY_RIGHT});
  EXPECT_TRUE(item_at(b.state.rows, song_row).expanded);
  EXPECT_EQ(song_row + 1, b.state.cursor);
  press(b, {KEY_HOME, KEY_LEFT});
  return b;
}

TEST(BrowserKeys, UpOntoAClosedGroupLandsOnTheGroupRow) {
  Browser b = with_hidden_open_song(three_groups(), 5);
  press(b, {KEY_DOWN});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {KEY_UP});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, EndPageDownAndWrapLandOnAClosedLastGroup) {
  std::vector<SongGroup> one_group = make_library(
      {{"Alpha", {{"A1", {single_hard}}, {"A2", {}}, {"A3", {single_easy, double_medium}}}}});
  Browser b = with_hidden_open_song(std::move(one_group), 4);
  press(b, {KEY_END});
  EXPECT_EQ(0, b.state.cursor);
  press(b, {KEY_NPAGE});
  EXPECT_EQ(0, b.state.cursor);
  press(b, {KEY_UP});
  EXPECT_EQ(0, b.state.cursor);
}

TEST(BrowserKeys, SpaceFillsAPartlySelectedGroupThenClearsIt) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, KEY_RIGHT, ' '});  // one chart of A1
  EXPECT_EQ("Y.,,. | . | ", selection(b.groups));
  press(b, {KEY_HOME, ' '});
  EXPECT_EQ("YY,,Y | . | ", selection(b.groups));
  press(b, {' '});
  EXPECT_EQ("..,,. | . | ", selection(b.groups));
}

TEST(BrowserKeys, SpaceAndEnterToggleSongsAndCharts) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT, 13});  // Enter on A1
  EXPECT_EQ("YY,,. | . | ", selection(b.groups));
  press(b, {KEY_RIGHT, ' '});  // chart 0 flips off
  EXPECT_EQ(".Y,,. | . | ", selection(b.groups));
  press(b, {KEY_UP, ' '});  // A1 not all selected: fill
  EXPECT_EQ("YY,,. | . | ", selection(b.groups));
  press(b, {13});
  EXPECT_EQ("..,,. | . | ", selection(b.groups));
}

TEST(BrowserKeys, SpaceOnEmptyGroupOrSongChangesNothing) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_END, ' ', KEY_HOME, KEY_RIGHT, KEY_DOWN, ' '});
  EXPECT_EQ("..,,. | . | ", selection(b.groups));
}

TEST(BrowserKeys, AllSelectsUnlessEverythingIsSelected) {
  Browser b = open_browser(three_groups());
  press(b, {'s'});
  EXPECT_EQ("Y.,,Y | . | ", selection(b.groups));
  press(b, {'a'});  // not everything was selected
  EXPECT_EQ("YY,,Y | Y | ", selection(b.groups));
  press(b, {'s'});
  EXPECT_EQ(".Y,,. | Y | ", selection(b.groups));
  press(b, {'a', 'a'});
  EXPECT_EQ("..,,. | . | ", selection(b.groups));
}

TEST(BrowserKeys, DoubleTogglesOnlyDoubleCharts) {
  Browser b = open_browser(three_groups());
  press(b, {'d'});
  EXPECT_EQ(".Y,,. | Y | ", selection(b.groups));
  press(b, {KEY_RIGHT, KEY_RIGHT, ' ', 'd'});  // Single Hard of A1 on, then Doubles off
  EXPECT_EQ("Y.,,. | . | ", selection(b.groups));
}

TEST(BrowserKeys, ModeToggleWithNoChartsOfThatModeClearsNothingElse) {
  Browser b = open_browser(make_library({{"Alpha", {{"A1", {single_hard}}}}}));
  press(b, {'d'});
  EXPECT_EQ(".", selection(b.groups));
  press(b, {'a', 'd'});
  EXPECT_EQ("Y", selection(b.groups));
}

TEST(BrowserKeys, UpperCaseLettersAndOtherKeysDoNothing) {
  Browser b = open_browser(three_groups());
  press(b, {KEY_RIGHT});
  EXPECT_FALSE(press(b, {'A', 'S', 'D', 'x', 10, KEY_F(4), KEY_ENTER}));
  EXPECT_EQ("..,,. | . | ", selection(b.groups));
  EXPECT_EQ(1, b.state.cursor);
  EXPECT_EQ("10000000000", expansion(b.state));
}

TEST(BrowserKeys, OnlyF5FinishesTheBrowser) {
  Browser b = open_browser(three_groups());
  EXPECT_FALSE(press(b, {KEY_DOWN, ' ', 'a', KEY_F(6)}));
  EXPECT_TRUE(press(b, {KEY_F(5)}));
}

TEST(BrowserKeys, WithoutRowsOnlyF5DoesAnything) {
  Browser b = open_browser(make_library({}));
  EXPECT_FALSE(press(b, {KEY_UP, KEY_DOWN, KEY_NPAGE, KEY_PPAGE, KEY_HOME, KEY_END, KEY_LEFT,
                         KEY_RIGHT, ' ', 13, 'a', 's', 'd'}));
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_EQ(0, b.state.top);
  EXPECT_TRUE(press(b, {KEY_F(5)}));
}

TEST(BrowserKeys, VimKeysMoveLikeTheArrowsAndQuitIsAskedFirst) {
  Browser b = open_browser(three_groups());
  press(b, {'j'});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {'G', 'k'});
  EXPECT_EQ(7, b.state.cursor);
  press(b, {'g'});
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_FALSE(press(b, {'q', 'x', 'n', 27, KEY_DOWN, 'N'}));  // asked twice, answered no
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_TRUE(press(b, {27, 'y'}));
  EXPECT_TRUE(b.state.quit);
}

// Rows: 0 Alpha, 1 Café Noir, 2 Ünterwelt, 3 Beta, 4 Ωmega, 5 B ÜNTER.
struct BrowserSearch : testing::Test {
  Browser b = open_browser(make_library({{"Alpha", {{"Café Noir", {}}, {"Ünterwelt", {}}}},
                                         {"Beta", {{"Ωmega", {}}, {"B ÜNTER", {}}}}}));

  // Types `text` at the search prompt one byte at a time, as the keyboard sends it.
  void type(const std::string& text) {
    for (char byte : text) press(b, {static_cast<unsigned char>(byte)});
  }
};

TEST_F(BrowserSearch, FindsTitlesInCollapsedGroupsIgnoringCaseAndEscGoesBack) {
  press(b, {'/'});
  type("üNT");
  EXPECT_EQ(2, b.state.cursor);
  EXPECT_EQ("100000", expansion(b.state));
  press(b, {127});  // Backspace: "ün" still finds it
  EXPECT_EQ(2, b.state.cursor);
  type("\x1b");  // Esc
  EXPECT_EQ(0, b.state.cursor);
  EXPECT_EQ("000000", expansion(b.state));
  press(b, {'/'});
  type("ωM");
  EXPECT_EQ(4, b.state.cursor);
  EXPECT_EQ("000100", expansion(b.state));
}

TEST_F(BrowserSearch, NAndCapitalNWrapAndAMissingTextIsReported) {
  press(b, {'/'});
  type("ünter\r");
  EXPECT_EQ(2, b.state.cursor);
  press(b, {'n'});
  EXPECT_EQ(5, b.state.cursor);
  press(b, {'n'});
  EXPECT_EQ(2, b.state.cursor);
  press(b, {'N'});
  EXPECT_EQ(5, b.state.cursor);
  press(b, {'/'});
  type("zz");
  EXPECT_TRUE(b.state.search_failed);
  EXPECT_EQ(5, b.state.cursor);
  type("\r");
  EXPECT_EQ("Not found: zz", b.state.message);
  press(b, {'N'});
  EXPECT_EQ("Not found: zz", b.state.message);
  EXPECT_EQ(5, b.state.cursor);
}

// Every count the browser keeps, in one line.
std::string describe(const SelectionCounts& c) {
  std::string text;
  for (std::int64_t n : {c.charts, c.all_charts, c.songs, c.files, c.rescaled})
    text += std::to_string(n) + " ";
  for (const auto* numbers : {&c.first_song, &c.song_selected, &c.group_selected, &c.group_charts})
    for (std::int32_t n : *numbers) text += " " + std::to_string(n);
  return text;
}

// A library of random shape: groups without songs, songs without charts or with the
// error title, songs with an .ssc beside them, charts rescaled before.
std::vector<SongGroup> random_library(std::mt19937& random) {
  std::vector<TestGroup> shape;
  for (int g = 0; g < 5; ++g)
    shape.push_back(make_test_group("G" + std::to_string(g), static_cast<int>(random() % 4),
                                    static_cast<int>(random() % 9)));
  std::vector<SongGroup> groups = make_library(shape);
  for (SongGroup& group : groups)
    for (Song& song : group.songs) {
      if (random() % 4 == 0) song.charts.clear(), song.title = "#ERROR#" + song.folder;
      if (random() % 3 == 0) song.companion = CompanionFile{"x.ssc", std::nullopt, 0};
      for (Chart& chart : song.charts) chart.rescaled = random() % 3 == 0;
    }
  return groups;
}

// Every way of changing marks, one after another at random places: charts, songs and
// groups, all, Single and Double, a rule over the library, the group or a search's songs.
TEST(BrowserKeys, KeptCountsAgreeWithCountsMadeFromScratchAfterEveryKey) {
  const int keys[] = {KEY_DOWN, KEY_UP, KEY_RIGHT, KEY_LEFT, ' ', 13, 'a', 's', 'd'};
  const std::vector<int> forms[] = {
      {'m', KEY_DOWN, KEY_DOWN, ' ', KEY_UP, KEY_UP, KEY_UP, KEY_UP, KEY_LEFT, 13},
      {'m', KEY_UP, KEY_UP, KEY_UP, ' ', KEY_RIGHT, KEY_UP, KEY_UP, ' ', 13},
      {'/', 'S', 'o', 'n', 'g', ' ', '1', 13, 'm', KEY_UP, KEY_UP, KEY_UP, KEY_RIGHT, 13},
      {'/', 'G', '2', 13, 'm', KEY_UP, KEY_UP, KEY_UP, KEY_UP, '1', '-', '4', 13, 27}};
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    Browser b = open_browser(random_library(random));
    for (int step = 0; step < 30; ++step)
      for (int key :
           random() % 3 > 0 ? std::vector<int>{keys[random() % 9]} : forms[random() % 4]) {
        press(b, {key});
        ASSERT_EQ(describe(count_selection(b.groups)), describe(b.state.counts))
            << "round " << round << ", step " << step << ", key " << key;
      }
  }
}

}  // namespace
