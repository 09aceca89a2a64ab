// browser/browser_scroll.cpp: the scroll offset as arithmetic on the cursor's line.
#include "browser/browser_scroll.h"

namespace {

// One step settles a list of any height; the cap only guards against a rule change
// that would make the offset swing.
constexpr int max_scroll_steps = 8;

// A list this short cannot keep a line free both above and below the cursor.
constexpr int min_height_with_margin = 3;

}  // namespace

int visible_index(const std::vector<TreeRow>& rows, int row) {
  int index = 0;
  for (int i = 0; i < row; i = next_visible_row(rows, i)) ++index;
  return index;
}

int scroll_step(int cursor_index, int top, int list_height) {
  if (list_height <= 0) return top;  // no list lines: nothing to keep in view
  int line = cursor_index - top;
  int margin = list_height >= min_height_with_margin ? 1 : 0;
  int wanted = top;
  if (line < margin)
    wanted = top + line - margin;
  else if (line >= list_height - margin)
    wanted = top + line - list_height + margin + 1;
  return wanted < 0 ? 0 : wanted;
}

int settle_top(int cursor_index, int top, int list_height) {
  for (int step = 0; step < max_scroll_steps; ++step) {
    int wanted = scroll_step(cursor_index, top, list_height);
    if (wanted == top) break;
    top = wanted;
  }
  return top;
}

void settle_scroll(BrowserState& state) {
  if (state.rows.empty()) return;
  state.top = settle_top(visible_index(state.rows, state.cursor), state.top, state.list_height);
}
