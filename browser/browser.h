// browser/browser.h: the selection browser screen: its state, keys, drawing and loop.
#pragma once

#include <string>

#include "browser/rule_form.h"
#include "browser/search_index.h"
#include "browser/tree_rows.h"
#include "library/selection.h"
#include "terminal/terminal.h"

// What the line above the help lines is taken by besides the status line: nothing, the
// search prompt, or the question whether to quit.
enum class BrowserPrompt { None, Search, ConfirmQuit };

// A search in progress: where it started, so that Esc can return there.
struct SearchStart {
  int cursor = 0;
  int top = 0;
  int opened_group = -1;        // the group row this search expanded to show a match, or -1
  std::string previous_text{};  // the search text before this search
};

struct BrowserState {
  std::vector<TreeRow> rows;
  int cursor;           // index into rows; always a visible row
  int top;              // visible rows scrolled off above the list
  int list_height;      // list lines: the screen's lines - 3
  SearchIndex index{};  // the folded names and titles, built at the first search
  BrowserPrompt prompt = BrowserPrompt::None;  // what the prompt line shows
  std::string search_text{};                   // typed at the prompt, kept for n and N
  bool search_failed = false;                  // the search text is not found
  SearchStart search_start{};
  std::string message{};     // shown on the prompt line until the next key
  bool quit = false;         // the user chose to quit without changing any file
  SelectionCounts counts{};  // of the charts' `selected` flags, kept as they change
  RuleForm form{};           // the rule form's choices, kept between openings
  bool form_open = false;    // the rule form is shown in place of the tree
};

// Rows for `groups`, all collapsed, cursor and offset at 0, with the counts of the
// selection the charts' flags hold.
BrowserState make_browser_state(const std::vector<SongGroup>& groups, int list_height);

// Applies one key (to the rule form while it is open); returns true when the browser is
// finished: F5, or a quit the user confirmed (then `state.quit` is set). Every change of
// a chart's `selected` flag goes through library/selection.h, keeping `state.counts`.
bool handle_browser_key(BrowserState& state, std::vector<SongGroup>& groups, int key);

// Applies a key while the prompt line asks for input (search text or the answer to the
// quit question); returns true when the user confirmed quitting.
bool handle_prompt_key(BrowserState& state, int key);

// Opens the search prompt, starting from the cursor row.
void start_search(BrowserState& state);

// Moves to the next (`forward`) or previous match of the last search text, wrapping,
// and expands its group; says so on the prompt line when there is none.
void repeat_search(BrowserState& state, bool forward);

// Takes the screen's new size after the terminal was resized: the list height becomes
// the new lines - 3; the scroll offset settles again on the next frame.
void resize_browser(BrowserState& state, int screen_lines);

// Runs the browser, with the list height taken from the screen, until F5 (Done), a
// confirmed quit (Quit), or the end of the keyboard input (InputEnded).
ScreenExit run_browser(BrowserState& state, std::vector<SongGroup>& groups);
