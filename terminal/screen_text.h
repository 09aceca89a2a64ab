// terminal/screen_text.h: putting a line of text on the screen so that it stays on its
// line: control characters escaped, and cut at the right edge by display width.
#pragma once

#include <string>
#include <string_view>

// The part of `text` that fills at most `columns` screen columns, in the terminal's
// character set: whole characters only, so a wide character that does not fit whole is
// left out. A byte the character set cannot show (or a character it cannot print) is
// written as \xNN, which the width counts.
std::string fit_to_width(std::string_view text, int columns);

// Draws `text` at line `y`, column `x` of stdscr with its control characters escaped,
// cut at the right edge of the screen, in the current attributes. Draws nothing off the
// screen.
void put_text(int y, int x, std::string_view text);
