// browser/browser.h: the selection browser screen: its state, keys, drawing and loop.
#pragma once

#include "browser/tree_rows.h"

struct BrowserState {
  GrowArray<TreeRow> rows;
  int cursor;       // index into rows; always a visible row
  int top;          // visible rows scrolled off above the list
  int list_height;  // list lines: the screen's lines - 3
};

// Rows for `groups`, all collapsed, cursor and offset at 0.
BrowserState make_browser_state(const GrowArray<SongGroup>& groups, int list_height);

// Applies one key; returns true when the user is done (F5).
bool handle_browser_key(BrowserState& state, GrowArray<SongGroup>& groups, int key);

// Runs the browser until F5 (true), or until the keyboard input ends (false).
bool run_browser(BrowserState& state, GrowArray<SongGroup>& groups);
