// terminal/help_screen.h: full-screen pages of fixed lines that wait for a key: the list
// of a screen's keys, and the error screens.
#pragma once

#include <span>
#include <string_view>

// Clears the screen and paints `lines` from the top, each cut at the right edge; lines
// below the screen are left out.
void draw_page(std::span<const std::string_view> lines);

// Shows `lines` until a key is pressed, drawn again for the new size whenever the
// terminal is resized. Returns false when the keyboard input ended instead.
bool show_page_until_key(std::span<const std::string_view> lines);
