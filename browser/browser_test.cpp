// browser/browser_test.cpp: the browser loop on a curses screen, fed with queued keys.
#include "browser/browser.h"

#include <gtest/gtest.h>

#include "tests/support/library_builder.h"
#include "tests/support/screen_test.h"

namespace {

using BrowserLoop = ScreenTest;

TEST_F(BrowserLoop, RunsKeysUntilF5) {
  std::vector<SongGroup> groups =
      make_library({make_test_group("Alpha", 2, 2), make_test_group("Beta", 1, 1)});
  BrowserState state = make_browser_state(groups, 21);
  push_keys({KEY_RIGHT, KEY_RIGHT, ' ', KEY_DOWN, KEY_F(5), 'a'});
  EXPECT_EQ(ScreenExit::Done, run_browser(state, groups));
  EXPECT_EQ(3, state.cursor);
  EXPECT_TRUE(groups[0].songs[0].charts[0].selected);
  EXPECT_FALSE(groups[0].songs[0].charts[1].selected);  // "a" came after F5
  EXPECT_EQ("-[*] Alpha", screen_line(0));
  EXPECT_EQ("    -[*] Song 1", screen_line(1));
  EXPECT_EQ("        [Y] Single Beginner 1", screen_line(2));
  EXPECT_EQ("        [ ] Single Easy 2", screen_line(3));
  EXPECT_TRUE(is_highlighted(3, 12));
  EXPECT_FALSE(is_highlighted(2, 12));
}

TEST_F(BrowserLoop, EndOfInputStopsTheLoopWithoutF5) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 2, 2)});
  BrowserState state = make_browser_state(groups, 21);
  push_keys({KEY_DOWN});
  EXPECT_EQ(ScreenExit::InputEnded, run_browser(state, groups));
}

TEST_F(BrowserLoop, SettlesTheScrollBeforeReadingAKey) {
  close_screen();
  open_screen(10, 80);
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 30, 0)});
  BrowserState state = make_browser_state(groups, 7);
  push_keys({KEY_RIGHT, KEY_NPAGE, KEY_NPAGE, KEY_F(5)});
  EXPECT_EQ(ScreenExit::Done, run_browser(state, groups));
  EXPECT_EQ(15, state.cursor);
  EXPECT_EQ(10, state.top);
  EXPECT_EQ("    +[ ] Song 10 (0 charts)", screen_line(0));
  EXPECT_EQ("    +[ ] Song 15 (0 charts)", screen_line(5));
  EXPECT_TRUE(is_highlighted(5, 9));
}

TEST_F(BrowserLoop, EmptyLibraryEndsWithF5) {
  std::vector<SongGroup> groups;
  BrowserState state = make_browser_state(groups, 21);
  push_keys({KEY_DOWN, KEY_END, KEY_RIGHT, ' ', 'a', KEY_F(5)});
  EXPECT_EQ(ScreenExit::Done, run_browser(state, groups));
  EXPECT_EQ("", screen_line(0));
  EXPECT_EQ("Toggle (A)ll, (S)ingle, (D)ouble", screen_line(23));
}

TEST_F(BrowserLoop, TinyScreensKeepReadingKeys) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 5, 1)});
  for (int lines : {4, 3, 2, 1}) {
    close_screen();
    open_screen(lines, 80);
    BrowserState state = make_browser_state(groups, lines - 3);
    push_keys({KEY_RIGHT, KEY_DOWN, KEY_DOWN, KEY_NPAGE, KEY_END, KEY_UP, KEY_HOME, KEY_F(5)});
    EXPECT_EQ(ScreenExit::Done, run_browser(state, groups)) << lines << " lines";
    EXPECT_EQ(0, state.cursor) << lines << " lines";
    EXPECT_EQ("Toggle (A)ll, (S)ingle, (D)ouble", screen_line(lines - 1));
  }
}

TEST_F(BrowserLoop, ResizeTakesTheNewHeightAndKeepsTheCursorOnScreen) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 40, 0)});
  BrowserState state = make_browser_state(groups, 21);
  state.rows[0].expanded = true;
  state.cursor = 20;
  push_keys({KEY_F(5)});
  resizeterm(10, 80);  // queues the resize before F5
  EXPECT_EQ(ScreenExit::Done, run_browser(state, groups));
  EXPECT_EQ(7, state.list_height);
  EXPECT_EQ("    +[ ] Song 20 (0 charts)", screen_line(5));
  EXPECT_TRUE(is_highlighted(5, 9));
  EXPECT_EQ("Selected: 0 charts in 0 songs, 0 files   ? help", screen_line(7));
  EXPECT_EQ("(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done", screen_line(8));
  EXPECT_EQ("Toggle (A)ll, (S)ingle, (D)ouble", screen_line(9));
  push_keys({KEY_F(5)});
  resizeterm(30, 80);
  EXPECT_EQ(ScreenExit::Done, run_browser(state, groups));
  EXPECT_EQ(27, state.list_height);
  EXPECT_TRUE(is_highlighted(5, 9));
  EXPECT_EQ("    +[ ] Song 40 (0 charts)", screen_line(25));
  EXPECT_EQ("Toggle (A)ll, (S)ingle, (D)ouble", screen_line(29));
  state.list_height = 5;  // as if the resize had come while another screen was shown
  push_keys({KEY_F(5)});
  run_browser(state, groups);
  EXPECT_EQ(27, state.list_height);
}

TEST_F(BrowserLoop, HelpPageShowsUntilAnyKeyAndQuitNeedsAYes) {
  std::vector<SongGroup> groups = make_library({make_test_group("Alpha", 2, 2)});
  BrowserState state = make_browser_state(groups, 21);
  for (int key : {int{'?'}, int{'h'}, KEY_F(1)}) {
    push_keys({key});
    EXPECT_EQ(ScreenExit::InputEnded, run_browser(state, groups));
    EXPECT_EQ("Keys in the library tree", screen_line(0)) << key;
  }
  push_keys({'m', 'h'});  // the rule form's own help
  EXPECT_EQ(ScreenExit::InputEnded, run_browser(state, groups));
  EXPECT_EQ("Keys of the rule form (m in the library tree)", screen_line(0));
  push_keys({27, '?', 'a', 'q'});  // Esc leaves the form; "a" only leaves the help page
  EXPECT_EQ(ScreenExit::InputEnded, run_browser(state, groups));
  EXPECT_EQ("+[ ] Alpha (2 songs)", screen_line(0));
  EXPECT_EQ("Quit without changing any file? (y/n)", screen_line(21));
  push_keys({'y'});
  EXPECT_EQ(ScreenExit::Quit, run_browser(state, groups));
  EXPECT_FALSE(groups[0].songs[0].charts[0].selected);
}

}  // namespace
