// terminal/help_screen.cpp: drawing a page of lines and waiting for a key.
#include "terminal/help_screen.h"

#include <curses.h>

#include "terminal/screen_text.h"
#include "terminal/terminal.h"

void draw_page(std::span<const std::string_view> lines) {
  wclear(stdscr);
  int y = 0;
  for (std::string_view line : lines) put_text(y++, 0, line);
  wrefresh(stdscr);
}

bool show_page_until_key(std::span<const std::string_view> lines) {
  for (;;) {
    draw_page(lines);
    std::optional<int> key = read_key();
    if (!key) return false;
    if (*key != KEY_RESIZE) return true;
  }
}
