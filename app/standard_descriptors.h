// app/standard_descriptors.h: standard input, output and error made safe to use.
#pragma once

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, so that no file the
// program opens (the terminal, the lock, a journal, a song file) can take its number and
// then receive the report or be read as the keyboard. Returns false when one cannot be
// opened; the program must not go on then.
bool open_closed_standard_descriptors();
