// browser/browser_scroll_test.cpp: the scroll offset that keeps the cursor row in view.
#include "browser/browser_scroll.h"

#include <gtest/gtest.h>

#include "tests/support/library_builder.h"

namespace {

TEST(BrowserScroll, CursorInsideTheMarginsLeavesTheListWhereItIs) {
  for (int line = 1; line <= 19; ++line) EXPECT_EQ(4, scroll_step(4 + line, 4, 21)) << line;
}

TEST(BrowserScroll, CursorOnTheLastListLineScrollsByOne) {
  EXPECT_EQ(1, scroll_step(20, 0, 21));
  EXPECT_EQ(8, scroll_step(27, 7, 21));
}

TEST(BrowserScroll, CursorOnTheFirstListLineScrollsBackByOne) {
  EXPECT_EQ(6, scroll_step(7, 7, 21));
  EXPECT_EQ(0, scroll_step(0, 0, 21));  // row 0 may stand on line 0
  EXPECT_EQ(0, scroll_step(1, 1, 21));
}

TEST(BrowserScroll, FarJumpsPutTheCursorNextToTheEdge) {
  EXPECT_EQ(81, scroll_step(100, 0, 21));  // line 19 of 21
  EXPECT_EQ(49, scroll_step(50, 90, 21));  // line 1
  EXPECT_EQ(0, scroll_step(0, 90, 21));    // Home shows the list from row 0
}

TEST(BrowserScroll, RowsThatFitNeverScroll) {
  for (int rows = 1; rows < 21; ++rows)
    for (int cursor = 0; cursor < rows; ++cursor)
      EXPECT_EQ(0, settle_top(cursor, 0, 21)) << rows << " rows, cursor " << cursor;
}

TEST(BrowserScroll, ShortListsKeepTheCursorOnAListLineWithoutMargin) {
  EXPECT_EQ(0, settle_top(1, 0, 2));
  EXPECT_EQ(1, settle_top(2, 0, 2));  // cursor on the last line
  EXPECT_EQ(5, settle_top(5, 9, 2));  // cursor on the first line
  EXPECT_EQ(7, settle_top(7, 0, 1));  // one line: the cursor row is the list
  EXPECT_EQ(7, settle_top(7, 12, 1));
  EXPECT_EQ(3, settle_top(40, 3, 0));  // no list lines: nothing to scroll
  EXPECT_EQ(3, settle_top(40, 3, -2));
}

TEST(BrowserScroll, SettledOffsetIsStableAndShowsTheCursor) {
  for (int height = -2; height <= 8; ++height)
    for (int cursor = 0; cursor < 30; ++cursor)
      for (int top = 0; top < 30; ++top) {
        int settled = settle_top(cursor, top, height);
        ASSERT_EQ(settled, scroll_step(cursor, settled, height))
            << "height " << height << " cursor " << cursor << " top " << top;
        int line = cursor - settled;
        if (height >= 1) {
          EXPECT_TRUE(line >= 0 && line < height);
        }
        if (height >= 3 && cursor > 0) {
          EXPECT_TRUE(line >= 1 && line <= height - 2);
        }
      }
}

TEST(BrowserScroll, VisibleIndexCountsOnlyVisibleRows) {
  std::vector<SongGroup> groups =
      make_library({make_test_group("Alpha", 3, 2), make_test_group("Beta", 2, 1)});
  BrowserState state = make_browser_state(groups, 21);
  EXPECT_EQ(0, visible_index(state.rows, 0));
  EXPECT_EQ(1, visible_index(state.rows, 10));  // Beta
  state.rows[0].expanded = true;
  state.rows[4].expanded = true;               // the second song of Alpha
  EXPECT_EQ(3, visible_index(state.rows, 5));  // its first chart
  EXPECT_EQ(6, visible_index(state.rows, 10));
}

TEST(BrowserScroll, SettlingWithoutRowsLeavesTheOffsetAlone) {
  std::vector<SongGroup> groups;
  BrowserState state = make_browser_state(groups, 21);
  settle_scroll(state);
  EXPECT_EQ(0, state.top);
}

}  // namespace
