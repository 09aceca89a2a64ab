// browser/browser_draw.h: one frame of the selection browser, painted on the screen.
#pragma once

#include <string>

#include "browser/browser.h"

// The two help lines at the foot of the screen.
constexpr const char* browser_help_keys =
    "(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done";
constexpr const char* browser_help_toggles = "Toggle (A)ll, (S)ingle, (D)ouble";

// The question that q and Esc ask on the line above the help lines.
constexpr const char* browser_quit_question = "Quit without changing any file? (y/n)";

// The status line: "Selected: <n> charts in <n> songs, <n> files   ? help", with
// " (<n> rescaled before)" after the files when a selected chart was rescaled by an
// earlier run; "1 chart", "1 song", "1 file" in the singular. Made from the counts alone.
std::string status_text(const SelectionCounts& counts);

// With the rule form open, draws the form. Otherwise clears the screen and draws the rows
// scrolled by `state.top` on the list lines, the name part of the cursor row highlighted,
// the prompt line and the help lines, each cut at the right edge; then refreshes. The
// prompt line shows the status line when nothing else takes it and the screen has a line
// for it. Walks the visible rows only as far as the last list line; the marks of groups
// and songs come from the selection counts.
void draw_browser(const BrowserState& state, const std::vector<SongGroup>& groups);
