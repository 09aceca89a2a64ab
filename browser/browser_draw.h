// browser/browser_draw.h: one frame of the selection browser, painted on stdscr.
#pragma once

#include "browser/browser.h"

// The two help lines at the foot of the screen.
constexpr const char* browser_help_keys =
    "(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done";
constexpr const char* browser_help_toggles = "Toggle (A)ll, (S)ingle, (D)ouble";

// Clears the screen and draws the rows scrolled by `state.top` on the list lines, the
// name part of the cursor row highlighted, and the help lines; then refreshes. Walks the
// visible rows only as far as the last list line.
void draw_browser(const BrowserState& state, const GrowArray<SongGroup>& groups);
