// terminal/terminal.cpp: curses set-up and tear-down, and key reading.
#include "terminal/terminal.h"

#include <clocale>
#include <cstdio>

namespace {

// A blocking read returns ERR only when no key can come any more; a signal can make one
// read fail, so the input counts as ended only after many failures in a row.
constexpr int failed_reads_before_giving_up = 64;

// How long a lone Esc waits for the rest of a key sequence. The ends of one sequence
// come together, so a short wait still tells Esc from the arrow keys, and Esc answers
// at once.
constexpr int escape_wait_milliseconds = 100;

}  // namespace

CursesSession::~CursesSession() {
  end_curses(*this);
  if (screen != nullptr) delscreen(screen);
}

bool start_curses(CursesSession& session) {
  std::setlocale(LC_ALL, "");
  session.screen = newterm(nullptr, stdout, stdin);
  if (session.screen == nullptr) return false;
  session.active = true;
  keypad(stdscr, TRUE);
  nonl();
  noecho();
  cbreak();
  curs_set(0);
  set_escdelay(escape_wait_milliseconds);
  return true;
}

void end_curses(CursesSession& session) {
  if (!session.active) return;
  endwin();
  session.active = false;
}

void set_up_colours() {
  start_color();
  init_pair(1, COLOR_BLACK, COLOR_WHITE);
}

int highlight_attribute() {
  return has_colors() ? static_cast<int>(COLOR_PAIR(1)) : static_cast<int>(A_REVERSE);
}

std::optional<int> read_key() {
  for (int failures = 0; failures < failed_reads_before_giving_up; ++failures) {
    int key = wgetch(stdscr);
    if (key != ERR) return key;
  }
  return std::nullopt;
}
