// fuzz/rescale_check.cpp: the checks behind every fuzz target.
#include "fuzz/rescale_check.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "library/scale_table.h"
#include "rewrite/splice.h"

namespace {

[[noreturn]] void fail(const char* what, std::size_t where) {
  std::fprintf(stderr, "rescale check failed: %s (at byte %zu)\n", what, where);
  std::abort();
}

// Walks the old and new bytes together: outside the edits they must be equal, and each
// edit's span must now hold exactly the new meter's decimal digits.
void check_only_digits_changed(std::string_view old_bytes, std::string_view new_bytes,
                               const std::vector<MeterEdit>& edits) {
  std::size_t old_pos = 0;
  std::size_t new_pos = 0;
  for (const MeterEdit& edit : edits) {
    std::size_t same = edit.digits.offset - old_pos;
    if (old_bytes.substr(old_pos, same) != new_bytes.substr(new_pos, same))
      fail("a byte outside the meters changed", old_pos);
    old_pos += same + edit.digits.length;
    new_pos += same;
    std::string digits = std::to_string(edit.new_meter);
    if (new_bytes.substr(new_pos, digits.size()) != digits)
      fail("a meter's digits are not the converted meter", edit.digits.offset);
    new_pos += digits.size();
  }
  if (old_bytes.substr(old_pos) != new_bytes.substr(new_pos))
    fail("a byte after the last meter changed", old_pos);
}

void check_read_again(std::string_view new_bytes, const SongFields& before,
                      const std::vector<MeterEdit>& edits, ReadSongFields read) {
  SongFields after;
  if (!read(new_bytes, after)) fail("the rewritten bytes cannot be read", 0);
  if (after.title != before.title) fail("the title changed", 0);
  std::size_t next = 0;
  for (std::size_t i = 0; i < before.charts.size(); ++i) {
    if (edits[i].new_meter == 0) continue;  // no longer a chart
    if (next >= after.charts.size()) fail("a chart is missing when read again", 0);
    const FoundChart& was = before.charts[i];
    const FoundChart& now = after.charts[next++];
    if (now.mode != was.mode || now.difficulty != was.difficulty || now.meter != edits[i].new_meter)
      fail("a chart read again is not the rescaled chart", was.digits.offset);
  }
  if (next != after.charts.size()) fail("a chart appeared when read again", 0);
}

}  // namespace

void check_rescale(std::string_view bytes, ReadSongFields read) {
  SongFields fields;
  if (!read(bytes, fields)) return;

  std::optional<std::string> same = splice_meters(bytes, {});
  if (!same || *same != bytes) fail("nothing selected, yet the bytes changed", 0);

  int step = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes.front()) % 9;
  std::vector<MeterEdit> edits;
  for (const FoundChart& chart : fields.charts)
    edits.push_back(MeterEdit{chart.digits, chart.meter, convert_meter(chart.meter, step)});
  std::optional<std::string> rescaled = splice_meters(bytes, edits);
  if (!rescaled) fail("the splice refused the meters the reader found", 0);
  check_only_digits_changed(bytes, *rescaled, edits);
  check_read_again(*rescaled, fields, edits, read);
}
