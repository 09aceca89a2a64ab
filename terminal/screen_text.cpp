// terminal/screen_text.cpp: escaping and cutting text to the screen's width.
#include "terminal/screen_text.h"

#include <curses.h>

#include <cwchar>

#include "songfile/text.h"
#include "terminal/terminal.h"

namespace {

constexpr int escaped_byte_width = 4;  // \xNN

// The width of the character at the start of `text` and its length in bytes; a length
// of 0 means the first byte cannot be shown as it is.
struct Shown {
  int width;
  std::size_t length;
};

Shown measure_char(std::string_view text) {
  std::mbstate_t state{};
  wchar_t wide = 0;
  std::size_t length = std::mbrtowc(&wide, text.data(), text.size(), &state);
  bool undecodable =
      length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2);
  if (length == 0 || undecodable) return {0, 0};
  int width = wcwidth(wide);
  if (width < 0) return {0, 0};
  return {width, length};
}

}  // namespace

std::string fit_to_width(std::string_view text, int columns) {
  std::string out;
  int used = 0;
  while (!text.empty()) {
    Shown c = measure_char(text);
    std::string piece;
    if (c.length == 0) {
      append_escaped(piece, static_cast<unsigned char>(text[0]));
      c = {escaped_byte_width, 1};
    } else {
      piece = text.substr(0, c.length);
    }
    if (used + c.width > columns) break;
    out += piece;
    used += c.width;
    text.remove_prefix(c.length);
  }
  return out;
}

void put_text(int y, int x, std::string_view text, TextStyle style) {
  int columns = getmaxx(stdscr) - x;
  if (y < 0 || y >= getmaxy(stdscr) || x < 0 || columns <= 0) return;
  std::string shown = fit_to_width(escape_controls(text), columns);
  if (shown.empty()) return;
  if (style == TextStyle::Highlight) wattron(stdscr, highlight_attribute());
  mvwaddnstr(stdscr, y, x, shown.data(), static_cast<int>(shown.size()));
  if (style == TextStyle::Highlight) wattroff(stdscr, highlight_attribute());
}

int screen_lines() { return getmaxy(stdscr); }

void clear_screen() { wclear(stdscr); }

void clear_line(int y) {
  wmove(stdscr, y, 0);
  wclrtoeol(stdscr);
}

void show_screen() { wrefresh(stdscr); }
