// browser/browser_draw_test.cpp: frames of the browser, read back from a curses screen.
#include "browser/browser_draw.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "browser/browser_scroll.h"
#include "tests/support/library_builder.h"
#include "tests/support/screen_test.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr TestChart single_hard{Mode::Single, Difficulty::Hard, 12};
constexpr TestChart double_expert{Mode::Double, Difficulty::Expert, 15};

constexpr const char* help_keys = "(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done";
constexpr const char* help_toggles = "Toggle (A)ll, (S)ingle, (D)ouble";
constexpr const char* nothing_selected = "Selected: 0 charts in 0 songs, 0 files   ? help";

using BrowserDraw = ScreenTest;

// Settles the scroll offset and draws one frame, as the loop does before reading a key.
void draw_frame(BrowserState& state, const std::vector<SongGroup>& groups) {
  settle_scroll(state);
  draw_browser(state, groups);
}

// Whether the characters of line `y` from `from` to before `to` are all highlighted
// (`highlighted`) or all plain.
bool span_is(int y, int from, int to, bool highlighted) {
  for (int x = from; x < to; ++x)
    if (is_highlighted(y, x) != highlighted) return false;
  return true;
}

TEST_F(BrowserDraw, FirstFrameListsCollapsedGroupsWithCountsAndHelp) {
  std::vector<SongGroup> groups =
      make_library({make_test_group("Alpha", 12, 3), make_test_group("Beta", 1, 1), {"Empty", {}}});
  BrowserState state = make_browser_state(groups, 21);
  draw_frame(state, groups);
  EXPECT_EQ("+[ ] Alpha (12 songs)", screen_line(0));
  EXPECT_EQ("+[ ] Beta (1 songs)", screen_line(1));
  EXPECT_EQ("+[ ] Empty (0 songs)", screen_line(2));
  for (int y = 3; y <= 20; ++y) EXPECT_EQ("", screen_line(y)) << y;
  EXPECT_EQ(nothing_selected, screen_line(21));
  EXPECT_EQ(help_keys, screen_line(22));
  EXPECT_EQ(help_toggles, screen_line(23));
}

TEST_F(BrowserDraw, OnlyTheNamePartOfTheCursorRowIsHighlighted) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 12, 3)});
  BrowserState state = make_browser_state(groups, 21);
  draw_frame(state, groups);
  int end = static_cast<int>(std::string("+[ ] Alpha (12 songs)").size());
  EXPECT_TRUE(span_is(0, 0, 5, false));
  EXPECT_TRUE(span_is(0, 5, end, true));
  EXPECT_TRUE(span_is(0, end, 80, false));
}

TEST_F(BrowserDraw, SongAndChartRowsAtTheirColumns) {
  std::vector<SongGroup> groups = make_library(
      {{"Alpha", {{"First", {single_hard, double_expert}}, {"Second", {single_hard}}}}});
  groups[0].songs[0].charts[1].selected = true;
  BrowserState state = make_browser_state(groups, 21);
  state.rows[0].expanded = true;
  state.rows[1].expanded = true;
  state.cursor = 3;  // Double Expert
  draw_frame(state, groups);
  EXPECT_EQ("-[*] Alpha", screen_line(0));
  EXPECT_EQ("    -[*] First", screen_line(1));
  EXPECT_EQ("        [ ] Single Hard 12", screen_line(2));
  EXPECT_EQ("        [Y] Double Expert 15", screen_line(3));
  EXPECT_EQ("    +[ ] Second (1 charts)", screen_line(4));
  EXPECT_TRUE(span_is(3, 0, 12, false));
  EXPECT_TRUE(span_is(3, 12, 28, true));
  EXPECT_TRUE(span_is(3, 28, 80, false));
  EXPECT_TRUE(span_is(2, 0, 80, false));

  state.cursor = 4;
  draw_frame(state, groups);
  EXPECT_TRUE(span_is(4, 0, 9, false));
  EXPECT_TRUE(span_is(4, 9, 26, true));
  EXPECT_TRUE(span_is(3, 0, 80, false));
}

TEST_F(BrowserDraw, FullySelectedRowsShowY) {
  std::vector<SongGroup> groups = make_library({{"Alpha", {{"First", {single_hard}}}}});
  groups[0].songs[0].charts[0].selected = true;
  BrowserState state = make_browser_state(groups, 21);
  state.rows[0].expanded = true;
  draw_frame(state, groups);
  EXPECT_EQ("-[Y] Alpha", screen_line(0));
  EXPECT_EQ("    +[Y] First (1 charts)", screen_line(1));
}

TEST_F(BrowserDraw, NamesAreShownAsWritten) {
  std::vector<SongGroup> groups = make_library({{"100% %d", {{"Title %s %n", {}}}}});
  BrowserState state = make_browser_state(groups, 21);
  draw_frame(state, groups);
  EXPECT_EQ("+[ ] 100% %d (1 songs)", screen_line(0));
  state.rows[0].expanded = true;
  draw_frame(state, groups);
  EXPECT_EQ("    +[ ] Title %s %n (0 charts)", screen_line(1));
}

TEST_F(BrowserDraw, EmptyLibraryShowsOnlyTheHelpLines) {
  std::vector<SongGroup> groups;
  BrowserState state = make_browser_state(groups, 21);
  draw_frame(state, groups);
  for (int y = 0; y <= 20; ++y) EXPECT_EQ("", screen_line(y)) << y;
  EXPECT_EQ(nothing_selected, screen_line(21));
  EXPECT_EQ(help_keys, screen_line(22));
  EXPECT_EQ(help_toggles, screen_line(23));
}

TEST_F(BrowserDraw, OverlongNameOnTheLastListLineLeavesTheFootClear) {
  std::string title(300, 'x');
  std::vector<SongGroup> groups = make_library({{"Alpha", {{title, {}}}}});
  BrowserState state = make_browser_state(groups, 1);
  close_screen();
  open_screen(4, 80);
  state.rows[0].expanded = true;
  state.cursor = 1;
  draw_frame(state, groups);
  EXPECT_EQ("    +[ ] " + std::string(71, 'x'), screen_line(0));
  EXPECT_EQ(nothing_selected, screen_line(1));
  EXPECT_EQ(help_keys, screen_line(2));
  EXPECT_EQ(help_toggles, screen_line(3));
}

// A ten-line screen: seven list lines. Alpha is open with 20 songs, so 22 rows show.
struct ShortScreen : BrowserDraw {
  void SetUp() override {
    BrowserDraw::SetUp();
    close_screen();
    open_screen(10, 80);
    state.rows[0].expanded = true;
  }
  std::vector<SongGroup> groups =
      make_library({make_test_group("Alpha", 20, 1), make_test_group("Beta", 2, 1)});
  BrowserState state = make_browser_state(groups, 7);

  // Moves the cursor by `steps` visible rows (negative: up) and draws.
  void move(int steps) {
    for (; steps > 0; --steps) state.cursor = next_visible_row(state.rows, state.cursor);
    for (; steps < 0; ++steps) state.cursor = previous_visible_row(state.rows, state.cursor);
    draw_frame(state, groups);
  }
};

TEST_F(ShortScreen, CursorOnTheLastListLineScrollsByOne) {
  move(5);
  EXPECT_EQ(0, state.top);
  EXPECT_EQ("-[ ] Alpha", screen_line(0));
  EXPECT_TRUE(is_highlighted(5, 9));
  move(1);
  EXPECT_EQ(1, state.top);
  EXPECT_EQ("    +[ ] Song 1 (1 charts)", screen_line(0));
  EXPECT_EQ("    +[ ] Song 6 (1 charts)", screen_line(5));
  EXPECT_EQ("    +[ ] Song 7 (1 charts)", screen_line(6));
  EXPECT_TRUE(is_highlighted(5, 9));
  EXPECT_EQ(nothing_selected, screen_line(7));
  EXPECT_EQ(help_keys, screen_line(8));
  EXPECT_EQ(help_toggles, screen_line(9));
}

TEST_F(ShortScreen, CursorOnTheFirstListLineScrollsBackByOne) {
  move(10);
  EXPECT_EQ(5, state.top);
  move(-4);
  EXPECT_EQ(5, state.top);
  EXPECT_TRUE(is_highlighted(1, 9));
  move(-1);
  EXPECT_EQ(4, state.top);
  EXPECT_TRUE(is_highlighted(1, 9));
  EXPECT_EQ("    +[ ] Song 4 (1 charts)", screen_line(0));
}

TEST_F(ShortScreen, LastRowLeavesTheLastListLineEmptyAndHomeShowsTheTop) {
  state.cursor = previous_visible_row(state.rows, row_count(state.rows));
  draw_frame(state, groups);
  EXPECT_EQ("+[ ] Beta (2 songs)", screen_line(5));
  EXPECT_EQ("", screen_line(6));
  state.cursor = 0;
  draw_frame(state, groups);
  EXPECT_EQ(0, state.top);
  EXPECT_EQ("-[ ] Alpha", screen_line(0));
}

TEST_F(ShortScreen, CollapsingBelowTheCursorKeepsTheOffset) {
  state.rows[39].expanded = true;  // Song 20, whose chart is row 40
  handle_browser_key(state, groups, KEY_END);
  draw_frame(state, groups);
  EXPECT_EQ(17, state.top);
  handle_browser_key(state, groups, KEY_UP);
  handle_browser_key(state, groups, KEY_UP);
  handle_browser_key(state, groups, KEY_LEFT);
  draw_frame(state, groups);
  EXPECT_EQ(17, state.top);
  EXPECT_EQ("    +[ ] Song 20 (1 charts)", screen_line(3));
  EXPECT_TRUE(is_highlighted(3, 9));
  EXPECT_EQ("+[ ] Beta (2 songs)", screen_line(4));
  EXPECT_EQ("", screen_line(5));
  EXPECT_EQ("", screen_line(6));
}

TEST_F(BrowserDraw, FourLineScreenKeepsTheCursorOnItsOneListLine) {
  std::vector<SongGroup> groups =
      make_library({make_test_group("Alpha", 1, 1), make_test_group("Beta", 1, 1), {"Gamma", {}}});
  close_screen();
  open_screen(4, 80);
  BrowserState state = make_browser_state(groups, 1);
  draw_frame(state, groups);
  EXPECT_EQ("+[ ] Alpha (1 songs)", screen_line(0));
  EXPECT_EQ(nothing_selected, screen_line(1));
  EXPECT_EQ(help_keys, screen_line(2));
  EXPECT_EQ(help_toggles, screen_line(3));
  state.cursor = previous_visible_row(state.rows, row_count(state.rows));
  draw_frame(state, groups);
  EXPECT_EQ("+[ ] Gamma (0 songs)", screen_line(0));
  EXPECT_TRUE(is_highlighted(0, 5));
}

TEST_F(BrowserDraw, TwoAndOneLineScreensShowWhatFitsOfTheHelp) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 1, 1)});
  close_screen();
  open_screen(2, 80);
  BrowserState state = make_browser_state(groups, -1);
  draw_frame(state, groups);
  EXPECT_EQ(help_keys, screen_line(0));
  EXPECT_EQ(help_toggles, screen_line(1));
  close_screen();
  open_screen(1, 80);
  state.list_height = -2;
  draw_frame(state, groups);
  EXPECT_EQ(help_toggles, screen_line(0));
}

// The title's 31st column would take half of a wide character: it ends the line.
TEST_F(BrowserDraw, LongTitleIsCutAtTheRightEdgeWithoutHalfAWideCharacter) {
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
    GTEST_SKIP() << skip_reason("no C.UTF-8 locale");
  close_screen();
  open_screen(24, 40);
  std::string title = std::string(30, 'x') + "日本 and on";
  std::vector<SongGroup> groups = make_library({{"Alpha", {{"A", {}}, {title, {}}, {"C", {}}}}});
  BrowserState state = make_browser_state(groups, 21);
  state.rows[0].expanded = true;
  state.cursor = 2;
  draw_frame(state, groups);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ("    +[ ] " + std::string(30, 'x'), screen_line(2));
  EXPECT_TRUE(span_is(2, 9, 39, true));
  EXPECT_FALSE(is_highlighted(2, 39));
  EXPECT_EQ("    +[ ] C (0 charts)", screen_line(3));
  EXPECT_EQ("(Left/Right) Collapse/expand, (Space/Ent", screen_line(22));
}

TEST_F(BrowserDraw, StatusLineCountsChartsSongsFilesAndRescaledCharts) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 2, 2)});
  groups[0].songs[0].charts[0].selected = true;
  groups[0].songs[0].charts[1].selected = groups[0].songs[0].charts[1].rescaled = true;
  groups[0].songs[1].companion = CompanionFile{"Song 2.ssc", std::nullopt, 0};
  BrowserState state = make_browser_state(groups, 21);
  state.rows[0].expanded = state.rows[1].expanded = true;
  draw_frame(state, groups);
  EXPECT_EQ("        [Y] Single Easy 2~", screen_line(3));
  EXPECT_EQ("Selected: 2 charts in 1 song, 1 file (1 rescaled before)   ? help", screen_line(21));
  set_chart_selected(state.counts, groups, 0, 1, 0, true);
  set_chart_selected(state.counts, groups, 0, 0, 1, false);
  draw_frame(state, groups);
  EXPECT_EQ("-[*] Alpha", screen_line(0));
  EXPECT_EQ("    +[*] Song 2 (2 charts)", screen_line(4));
  EXPECT_EQ("Selected: 2 charts in 2 songs, 3 files   ? help", screen_line(21));
}

// a, m, then: Single, Beginner off, Meters 15-1 (no range), Where the group, rescaled
// charts included, clear, Enter; then Meters 2-3 and Enter.
TEST_F(BrowserDraw, RuleFormShowsItsFieldsAndRefusesAMeterTextThatIsNoRange) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 2, 3)});
  BrowserState state = make_browser_state(groups, 21);
  const int keys[] = {'a',       'm',      KEY_RIGHT, KEY_DOWN,  ' ',      KEY_UP, KEY_UP,
                      KEY_UP,    KEY_UP,   KEY_UP,    '1',       '5',      '-',    '1',
                      KEY_DOWN,  KEY_LEFT, KEY_LEFT,  KEY_RIGHT, KEY_DOWN, ' ',    KEY_DOWN,
                      KEY_RIGHT, KEY_UP,   KEY_UP,    13};
  for (int key : keys) handle_browser_key(state, groups, key);
  draw_frame(state, groups);
  const std::pair<int, const char*> form[] = {
      {0, "Select or clear charts by rule"},
      {2, "  Mode             Single"},
      {3, "  Difficulties     [ ] Beginner"},
      {4, "                   [Y] Easy"},
      {9, "  Meters           15-1"},
      {10, "  Where            the group Alpha"},
      {11, "  Rescaled before  included"},
      {12, "  Do               clear"},
      {15, "Meters: type a range A-B, such as 10-15, or one meter"}};
  for (auto [y, text] : form) EXPECT_EQ(text, screen_line(y)) << y;
  EXPECT_TRUE(span_is(10, 19, 34, true));
  EXPECT_TRUE(span_is(9, 0, 80, false));
  const int fix[] = {KEY_UP, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, 127, '2', '-', '3', 13};
  for (int key : fix) handle_browser_key(state, groups, key);
  draw_frame(state, groups);
  EXPECT_EQ("+[*] Alpha (2 songs)", screen_line(0));
  EXPECT_EQ("Rule: 4 of 4 matching charts cleared", screen_line(21));
}

}  // namespace
