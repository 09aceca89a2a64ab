// tests/support/screen_test.cpp: the curses screen fixture.
#include "tests/support/screen_test.h"

#include <cstdlib>
#include <vector>

void ScreenTest::open_screen(int lines, int columns) {
  setenv("TERM", "xterm", 1);
  out = std::fopen("/dev/null", "w");
  in = std::fopen("/dev/null", "r");
  screen = newterm("xterm", out, in);
  ASSERT_NE(screen, nullptr);
  set_term(screen);
  resizeterm(lines, columns);
  keypad(stdscr, TRUE);
  nonl();
  noecho();
  cbreak();
  start_color();
  init_pair(1, COLOR_BLACK, COLOR_WHITE);
}

void ScreenTest::close_screen() {
  if (screen == nullptr) return;
  endwin();
  delscreen(screen);
  std::fclose(out);
  std::fclose(in);
  screen = nullptr;
  stdscr = nullptr;
}

std::string screen_line(int y) {
  char buffer[1024] = {};
  mvwinnstr(stdscr, y, 0, buffer, sizeof buffer - 1);
  std::string line = buffer;
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

bool is_highlighted(int y, int x) { return PAIR_NUMBER(mvwinch(stdscr, y, x) & A_COLOR) == 1; }

void push_keys(std::initializer_list<int> keys) {
  std::vector<int> in_order(keys);
  for (auto it = in_order.rbegin(); it != in_order.rend(); ++it) ungetch(*it);
}
