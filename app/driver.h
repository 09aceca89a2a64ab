// app/driver.h: the program's phases, run once each, in order.
#pragma once

// Runs the whole program in the working folder: screen set-up, the Songs check, the
// scan, the browser, the scale screens, the rewrite with its report, the final prompt.
// Returns the exit status.
int run_rerate();
