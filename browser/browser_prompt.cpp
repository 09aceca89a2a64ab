// browser/browser_prompt.cpp: the search and the quit question, both asked on the line
// above the help lines. No curses call is made here; the key codes are plain numbers.
#include <optional>
#include <string>
#include <string_view>

#include "browser/browser.h"

namespace {

constexpr int enter_key = 13;  // Enter, with newline translation off
constexpr int delete_key = 127;
constexpr int control_h_key = 8;

// A byte that may be part of the search text: printable ASCII, or any byte of a UTF-8
// character (the keyboard sends those one byte at a time).
bool is_text_byte(int key) {
  return (key >= ' ' && key < delete_key) || (key >= 0x80 && key <= 0xFF);
}

bool is_continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The bytes a UTF-8 sequence that starts with `lead` takes.
std::size_t sequence_length(char lead) {
  auto byte = static_cast<unsigned char>(lead);
  if (byte >= 0xF0) return 4;
  if (byte >= 0xE0) return 3;
  if (byte >= 0xC0) return 2;
  return 1;
}

// `text` without a last character of which only the first bytes have been typed yet.
std::string_view complete_text(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text.size() - start < 3 && is_continuation(text[start - 1])) --start;
  if (start == 0) return text;
  --start;
  return sequence_length(text[start]) > text.size() - start ? text.substr(0, start) : text;
}

// Removes the last character of `text`, all its bytes.
void remove_last_char(std::string& text) {
  while (text.size() > 1 && is_continuation(text.back())) text.pop_back();
  if (!text.empty()) text.pop_back();
}

void collapse_opened_group(BrowserState& state) {
  int& group = state.search_start.opened_group;
  if (group >= 0) item_at(state.rows, group).expanded = false;
  group = -1;
}

// Puts the cursor on `row`, expanding its group when collapsed; a search in progress
// remembers that, to undo it.
void show_row(BrowserState& state, int row, bool undoable) {
  int group = group_row_of(state.rows, row);
  TreeRow& group_row = item_at(state.rows, group);
  if (!group_row.expanded) {
    group_row.expanded = true;
    if (undoable) state.search_start.opened_group = group;
  }
  state.cursor = row;
}

// Searches again for the text typed so far, from where the search started.
void search_from_start(BrowserState& state) {
  collapse_opened_group(state);
  state.cursor = state.search_start.cursor;
  state.top = state.search_start.top;
  state.search_failed = false;
  std::string folded = fold_case(complete_text(state.search_text));
  if (folded.empty()) return;
  std::optional<int> row = find_forward(state.index, folded, state.search_start.cursor);
  if (row)
    show_row(state, *row, true);
  else
    state.search_failed = true;
}

std::string not_found_message(const std::string& text) { return "Not found: " + text; }

void finish_search(BrowserState& state) {
  state.prompt = BrowserPrompt::None;
  state.search_start.opened_group = -1;
  if (state.search_failed) state.message = not_found_message(state.search_text);
  if (state.search_text.empty()) state.search_text = state.search_start.previous_text;
  state.search_failed = false;
}

void cancel_search(BrowserState& state) {
  collapse_opened_group(state);
  state.cursor = state.search_start.cursor;
  state.top = state.search_start.top;
  state.search_text = state.search_start.previous_text;
  state.search_failed = false;
  state.prompt = BrowserPrompt::None;
}

void handle_search_key(BrowserState& state, int key) {
  if (key == enter_key || key == keypad_enter_key) return finish_search(state);
  if (key == escape_key) return cancel_search(state);
  if (key == backspace_key || key == delete_key || key == control_h_key) {
    remove_last_char(state.search_text);
  } else if (is_text_byte(key)) {
    state.search_text += static_cast<char>(key);
  } else {
    return;
  }
  search_from_start(state);
}

bool handle_quit_key(BrowserState& state, int key) {
  switch (key) {
  case 'y':
  case 'Y': state.quit = true; return true;
  case 'n':
  case 'N':
  case escape_key: state.prompt = BrowserPrompt::None; break;
  }
  return false;
}

}  // namespace

void start_search(BrowserState& state) {
  state.prompt = BrowserPrompt::Search;
  state.search_start = SearchStart{state.cursor, state.top, -1, state.search_text};
  state.search_text.clear();
  state.search_failed = false;
}

void repeat_search(BrowserState& state, bool forward) {
  if (state.search_text.empty()) {
    state.message = "Nothing searched yet: press / to search";
    return;
  }
  std::string folded = fold_case(state.search_text);
  std::optional<int> row = forward ? find_forward(state.index, folded, state.cursor + 1)
                                   : find_backward(state.index, folded, state.cursor);
  if (row)
    show_row(state, *row, false);
  else
    state.message = not_found_message(state.search_text);
}

bool handle_prompt_key(BrowserState& state, int key) {
  if (state.prompt == BrowserPrompt::ConfirmQuit) return handle_quit_key(state, key);
  handle_search_key(state, key);
  return false;
}
