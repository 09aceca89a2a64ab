// tests/support/screen_test.h: a real curses screen of a fixed size, drawn into by a
// test and read back character by character.
#pragma once

#include <curses.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

struct ScreenTest : testing::Test {
  void SetUp() override { open_screen(24, 80); }
  void TearDown() override { close_screen(); }

  // Opens a screen of `lines` x `columns` on /dev/null, with colour pair 1 set up.
  void open_screen(int lines, int columns);
  void close_screen();

  FILE* out = nullptr;
  FILE* in = nullptr;
  SCREEN* screen = nullptr;
};

// The text of screen line `y`, trailing blanks removed.
std::string screen_line(int y);

// Whether the character at (`y`, `x`) is drawn with colour pair 1.
bool is_highlighted(int y, int x);

// Queues `keys` so that wgetch returns them in the order given.
void push_keys(std::initializer_list<int> keys);
