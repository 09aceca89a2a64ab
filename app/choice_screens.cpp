// app/choice_screens.cpp: the browser, the options screen, the scale screens it asked
// for, and the ways back.
#include "app/choice_screens.h"

ScreenExit run_scale_screens(ScaleChoices& choices) {
  for (;;) {
    ScreenExit options_exit = run_options_screen(choices.options);
    if (options_exit != ScreenExit::Done) return options_exit;
    ScaleState state = resume_scale_state(choices.options, choices.table);
    ScreenExit scale_exit = run_scale_screen_loop(state);
    choices.table = state.table;
    if (scale_exit != ScreenExit::Back) return scale_exit;
  }
}

ScreenExit run_choice_screens(BrowserState& browser, std::vector<SongGroup>& groups,
                              ScaleTable& table) {
  ScaleChoices choices;
  for (;;) {
    ScreenExit browser_exit = run_browser(browser, groups);
    if (browser_exit != ScreenExit::Done) return browser_exit;
    ScreenExit scale_exit = run_scale_screens(choices);
    if (scale_exit == ScreenExit::Back) continue;
    table = choices.table;
    return scale_exit;
  }
}
