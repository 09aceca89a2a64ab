// terminal/terminal.h: the full-screen session, keyboard input and the highlight attribute.
#pragma once

#include <curses.h>

#include <cstdio>
#include <optional>
#include <string>

// The curses screen of the run. Ended once, explicitly before the report, or on scope
// exit on every other path, so the terminal is always given back in a usable state.
struct CursesSession {
  SCREEN* screen = nullptr;
  std::FILE* tty = nullptr;  // the terminal opened when standard output is not one
  bool active = false;
  CursesSession() = default;
  CursesSession(const CursesSession&) = delete;
  CursesSession& operator=(const CursesSession&) = delete;
  ~CursesSession();
};

// Sets up the screen on the terminal: locale, keypad keys, no newline translation, no
// echo, cbreak, hidden cursor. The screen goes to standard output, or to the process's
// terminal (/dev/tty) when standard output is not a terminal (the report is being kept in
// a file). Returns false, with the reason in `error` and nothing drawn, when there is no
// terminal or it cannot move the cursor.
bool start_curses(CursesSession& session, std::string& error);

// Leaves the full screen (once).
void end_curses(CursesSession& session);

// Sets up colour pair 1, black on white, the highlight of the current item.
void set_up_colours();

// The attribute that marks the current item: colour pair 1, or reverse video on a
// terminal without colours.
int highlight_attribute();

// How a screen's loop ended.
enum class ScreenExit {
  Done,        // the screen is finished: the program goes on
  Back,        // back to the screen before, with the choices made so far kept
  Quit,        // the user leaves the program without changing any file
  InputEnded,  // the keyboard input ended
};

// Esc as wgetch returns it.
constexpr int escape_key = 27;

// The key that shows the keys of the current screen, on every screen.
constexpr int help_key = '?';

// Reads one key from stdscr, waiting for it. Returns nothing once the keyboard input has
// ended (the terminal is gone or input hit its end), so that no screen waits forever.
std::optional<int> read_key();
