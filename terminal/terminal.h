// terminal/terminal.h: the full-screen session, keyboard input and the highlight attribute.
// The screens use these and screen_text.h; curses itself stays inside terminal/.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

struct screen;  // a curses screen (SCREEN)

// The curses screen of the run. Ended once, explicitly before the report, or on scope
// exit on every other path, so the terminal is always given back in a usable state.
struct CursesSession {
  struct screen* screen = nullptr;
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

// The other keys the screens tell apart, as read_key returns them (the numbers curses
// gives them, checked in terminal.cpp).
constexpr int down_key = 0402;
constexpr int up_key = 0403;
constexpr int left_key = 0404;
constexpr int right_key = 0405;
constexpr int home_key = 0406;
constexpr int backspace_key = 0407;
constexpr int f1_key = 0410 + 1;
constexpr int f5_key = 0410 + 5;
constexpr int page_down_key = 0522;
constexpr int page_up_key = 0523;
constexpr int keypad_enter_key = 0527;
constexpr int end_key = 0550;
constexpr int resize_key = 0632;  // not a key: the terminal was resized

// The keys that show the keys of the current screen, on every screen: ?, h and F1.
constexpr int help_key = '?';
inline bool is_help_key(int key) { return key == help_key || key == 'h' || key == f1_key; }

// Reads one key from stdscr, waiting for it. Returns nothing once the keyboard input has
// ended (the terminal is gone or input hit its end), so that no screen waits forever.
std::optional<int> read_key();
