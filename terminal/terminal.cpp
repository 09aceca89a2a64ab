// terminal/terminal.cpp: curses set-up and tear-down, and key reading.
#include "terminal/terminal.h"

#include <curses.h>
#include <poll.h>
#include <term.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "songfile/stop_signals.h"

static_assert(down_key == KEY_DOWN && up_key == KEY_UP && left_key == KEY_LEFT &&
              right_key == KEY_RIGHT && home_key == KEY_HOME && backspace_key == KEY_BACKSPACE &&
              f1_key == KEY_F(1) && f5_key == KEY_F(5) && page_down_key == KEY_NPAGE &&
              page_up_key == KEY_PPAGE && keypad_enter_key == KEY_ENTER && end_key == KEY_END &&
              resize_key == KEY_RESIZE);

namespace {

// A read that has not timed out returns ERR only when no key can come any more; a signal
// can make one read fail, so the input counts as ended only after many failures in a row.
constexpr int failed_reads_before_giving_up = 64;

// How long a lone Esc waits for the rest of a key sequence. The ends of one sequence
// come together, so a short wait still tells Esc from the arrow keys, and Esc answers
// at once.
constexpr int escape_wait_milliseconds = 100;

// A wait for a key ends after this long, and the key reader begins another. Curses
// answers a stop (Ctrl-Z) itself, giving the terminal back and painting the screen again
// after `fg`, but it turns the terminal's keypad mode back on only when a read for a key
// begins: a timed wait ends at the stop, so the next read begins at once, and the arrow
// keys do not arrive as Esc and letters.
constexpr int key_wait_milliseconds = 250;

// Whether the full screen is up, for the signal handler below.
volatile std::sig_atomic_t screen_shown = 0;

// The descriptor the keys come from while the screen is up, or -1.
int key_input = -1;

// Whether a read that gave no key failed, rather than waited its time out: the input has
// ended, hung up or broken. Every read without a known input counts as failed.
bool read_failed() {
  if (key_input < 0) return true;
  pollfd input{key_input, POLLIN, 0};
  return poll(&input, 1, 0) != 0;
}

// Gives the terminal back before a stop signal ends the program, which then ends by that
// signal as if it had not been caught.
void leave_screen_and_end(int signal_number) {
  if (screen_shown != 0) endwin();
  std::raise(signal_number);  // the handler was reset to the default on entry
}

// Installs that handler for each stop signal that would end the program now (one that is
// ignored, as under nohup, stays ignored).
void end_signals_leave_screen() {
  struct sigaction action {};
  action.sa_handler = leave_screen_and_end;
  action.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);  // an int, of unsigned flags
  sigemptyset(&action.sa_mask);
  for (int signal_number : stop_signals) {
    struct sigaction now {};
    if (sigaction(signal_number, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
      sigaction(signal_number, &action, nullptr);
  }
}

// Whether the terminal type in TERM is known and can address the cursor, as every screen
// needs; `error` says why not. Nothing is sent to the terminal.
bool terminal_can_address_cursor(int fd, std::string& error) {
  const char* type = std::getenv("TERM");
  std::string name = type != nullptr && *type != '\0' ? type : "unknown";
  int status = 0;
  if (setupterm(nullptr, fd, &status) != OK) {
    error = "the terminal type '" + name + "' is unknown (is TERM set?)";
    return false;
  }
  const char* move_cursor = tigetstr("cup");
  bool usable = move_cursor != nullptr && move_cursor != reinterpret_cast<char*>(-1) &&
                tigetflag("hc") <= 0 && tigetflag("gn") <= 0;
  del_curterm(cur_term);
  if (!usable)
    error = "the terminal type '" + name +
            "' cannot move the cursor, which the full screen needs (try TERM=xterm)";
  return usable;
}

}  // namespace

CursesSession::~CursesSession() {
  end_curses(*this);
  if (screen != nullptr) delscreen(screen);
  if (tty != nullptr) std::fclose(tty);
}

bool start_curses(CursesSession& session, std::string& error) {
  std::setlocale(LC_ALL, "");
  std::FILE* out = stdout;
  std::FILE* in = stdin;
  if (isatty(STDOUT_FILENO) == 0) {
    session.tty = std::fopen("/dev/tty", "r+e");
    if (session.tty == nullptr) {
      error = std::string("there is no terminal to draw the screens on (/dev/tty: ") +
              std::strerror(errno) + ")";
      return false;
    }
    out = session.tty;
    if (isatty(STDIN_FILENO) == 0) in = session.tty;
  }
  if (!terminal_can_address_cursor(fileno(out), error)) return false;
  end_signals_leave_screen();
  session.screen = newterm(nullptr, out, in);
  if (session.screen == nullptr) {
    error = "cannot use this terminal for the full screen (is TERM set?)";
    return false;
  }
  session.active = true;
  screen_shown = 1;
  keypad(stdscr, TRUE);
  nonl();
  noecho();
  cbreak();
  curs_set(0);
  set_escdelay(escape_wait_milliseconds);
  wtimeout(stdscr, key_wait_milliseconds);
  key_input = fileno(in);
  return true;
}

void end_curses(CursesSession& session) {
  if (!session.active) return;
  screen_shown = 0;
  key_input = -1;
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
  for (int failures = 0; failures < failed_reads_before_giving_up;) {
    int key = wgetch(stdscr);
    if (key != ERR) return key;
    if (read_failed()) ++failures;
  }
  return std::nullopt;
}
