// songfile/stop_signals.h: the signals that stop the program, in one list that the
// terminal layer and the rewrite share (so it lies in the lowest layer), so that every one
// of them is answered alike.
//
// While a screen is up, each gives the terminal back before the program ends by it. During
// a rewrite or an undo, each is held until the batch of files being written is settled,
// then stops the run with the "Interrupted" line and the undo line. Either way the program
// ends by that signal, so its exit status is 128 + N. A signal the program was started
// with ignored (a hang-up under nohup) stays ignored.
#pragma once

#include <csignal>

// Interrupt (Ctrl-C), termination, hang-up and quit (Ctrl-\).
constexpr int stop_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
