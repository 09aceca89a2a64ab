// browser/browser_scroll.h: which visible rows the list shows. The offset `top` moves
// only to keep the cursor row inside a margin of one list line at the top and at the
// bottom (none on a list of fewer than three lines).
#pragma once

#include "browser/browser.h"

// How many visible rows come before visible row `row` (`row` must be visible).
int visible_index(const std::vector<TreeRow>& rows, int row);

// The offset one frame asks for when the cursor row is visible row `cursor_index` and
// the list is scrolled by `top` with `list_height` lines; never below 0.
int scroll_step(int cursor_index, int top, int list_height);

// `top` after scroll_step has been applied until it stops changing (a few steps at most;
// capped so that it always ends).
int settle_top(int cursor_index, int top, int list_height);

// Settles `state.top` for the current cursor.
void settle_scroll(BrowserState& state);
