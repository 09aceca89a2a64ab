// app/choice_screens.h: the screens on which the user chooses, in turn: the browser, the
// options screen and the scale screens, and the way back and forth between them.
#pragma once

#include "browser/browser.h"
#include "scale/options_screen.h"
#include "scale/scale_screen.h"
#include "terminal/terminal.h"

// The choices of the options and scale screens, kept while the user goes back and forth.
struct ScaleChoices {
  OptionsState options = make_options_state();
  ScaleTable table = make_scale_state(make_options_state()).table;  // every step 5
};

// Runs the options screen and then the scale screens; Esc on the first scale screen goes
// back to the options screen. Returns Done with `choices.table` filled, Back when Esc
// was pressed on the options screen, or InputEnded.
ScreenExit run_scale_screens(ScaleChoices& choices);

// Runs the browser and then the scale screens, back to the browser on Esc on the options
// screen, until the last scale screen is confirmed (Done: `table` is filled), the user
// quits (Quit) or the keyboard input ends (InputEnded).
ScreenExit run_choice_screens(BrowserState& browser, std::vector<SongGroup>& groups,
                              ScaleTable& table);
