// terminal/screen_text.h: drawing on the screen: clearing it, putting a line of text on
// it so that it stays on its line (control characters escaped, cut at the right edge by
// display width), and showing what was drawn.
#pragma once

#include <string>
#include <string_view>

// The part of `text` that fills at most `columns` screen columns, in the terminal's
// character set: whole characters only, so a wide character that does not fit whole is
// left out. A byte the character set cannot show (or a character it cannot print) is
// written as \xNN, which the width counts.
std::string fit_to_width(std::string_view text, int columns);

// How a text is drawn: plainly, or highlighted as the current item.
enum class TextStyle { Plain, Highlight };

// Draws `text` at line `y`, column `x` of the screen with its control characters
// escaped, cut at the right edge of the screen. Draws nothing off the screen.
void put_text(int y, int x, std::string_view text, TextStyle style = TextStyle::Plain);

// The number of lines of the screen.
int screen_lines();

// Blanks the whole screen, or line `y` from column 0, to be drawn again.
void clear_screen();
void clear_line(int y);

// Puts what was drawn since the last call on the terminal.
void show_screen();
