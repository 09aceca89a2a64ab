// browser/browser.cpp: the selection browser's state and its loop.
#include "browser/browser.h"

#include "browser/browser_draw.h"
#include "browser/browser_scroll.h"
#include "terminal/terminal.h"

BrowserState make_browser_state(const GrowArray<SongGroup>& groups, int list_height) {
  return BrowserState{build_rows(groups), 0, 0, list_height};
}

bool run_browser(BrowserState& state, GrowArray<SongGroup>& groups) {
  for (;;) {
    settle_scroll(state);
    draw_browser(state, groups);
    std::optional<int> key = read_key();
    if (!key) return false;
    if (handle_browser_key(state, groups, *key)) return true;
  }
}
