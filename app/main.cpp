// app/main.cpp: the entry point.
#include "app/driver.h"

int main(int argc, char** argv) { return run_command_line({argv + 1, argv + argc}); }
