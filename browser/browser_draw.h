// browser/browser_draw.h: one frame of the selection browser, painted on the screen.
#pragma once

#include "browser/browser.h"

// The two help lines at the foot of the screen.
constexpr const char* browser_help_keys =
    "(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done";
constexpr const char* browser_help_toggles = "Toggle (A)ll, (S)ingle, (D)ouble";

// The question that q and Esc ask on the line above the help lines.
constexpr const char* browser_quit_question = "Quit without changing any file? (y/n)";

// Clears the screen and draws the rows scrolled by `state.top` on the list lines, the
// name part of the cursor row highlighted, the prompt line and the help lines, each cut
// at the right edge; then refreshes. Walks the visible rows only as far as the last list
// line.
void draw_browser(const BrowserState& state, const std::vector<SongGroup>& groups);
