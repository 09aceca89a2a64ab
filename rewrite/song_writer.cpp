// rewrite/song_writer.cpp: writing one song's tokens back with converted meters.
#include "rewrite/song_writer.h"

#include <algorithm>

#include "songfile/chart_reader.h"

namespace {

// A selected chart and the token that holds its meter.
struct MeterToken {
  int token;
  int chart;
};

// The selected charts' meter tokens in file order, or nothing when one of them does not
// point at a value or two charts claim the same token.
std::optional<std::vector<MeterToken>> selected_meter_tokens(const Song& song) {
  const TokenList& list = *song.tokens;
  std::vector<MeterToken> meters;
  for (int c = 0; c < song.charts.count; ++c) {
    const Chart& chart = song.charts[c];
    if (!chart.selected) continue;
    if (chart.meter_token < 0 || static_cast<std::size_t>(chart.meter_token) >= list.tokens.size())
      return std::nullopt;
    if (list.tokens[chart.meter_token].kind != TokenKind::Value) return std::nullopt;
    meters.push_back(MeterToken{chart.meter_token, c});
  }
  std::sort(meters.begin(), meters.end(),
            [](const MeterToken& a, const MeterToken& b) { return a.token < b.token; });
  auto same_token = [](const MeterToken& a, const MeterToken& b) { return a.token == b.token; };
  if (std::adjacent_find(meters.begin(), meters.end(), same_token) != meters.end())
    return std::nullopt;
  return meters;
}

ConvertedMeter convert_chart(const TokenList& list, const Chart& chart, int token,
                             const ScaleTable& table) {
  int old_meter = leading_number(token_text(list, list.tokens[token]));
  int step = table.steps[static_cast<int>(chart.mode)][static_cast<int>(chart.difficulty)];
  return ConvertedMeter{chart.mode, chart.difficulty, old_meter, convert_meter(old_meter, step)};
}

}  // namespace

std::optional<SongRewrite> build_song_rewrite(const Song& song, const ScaleTable& table) {
  if (!song.tokens) return std::nullopt;
  std::optional<std::vector<MeterToken>> meters = selected_meter_tokens(song);
  if (!meters) return std::nullopt;
  const TokenList& list = *song.tokens;
  SongRewrite rewrite;
  rewrite.content.reserve(list.text_size + list.text_size / 16 + list.tail_size);
  auto next_meter = meters->begin();
  for (std::size_t t = 0; t < list.tokens.size(); ++t) {
    if (next_meter != meters->end() && static_cast<std::size_t>(next_meter->token) == t) {
      const Chart& chart = song.charts[next_meter->chart];
      ConvertedMeter converted = convert_chart(list, chart, next_meter->token, table);
      rewrite.content += std::to_string(converted.new_meter);
      rewrite.converted.push_back(converted);
      ++next_meter;
    } else {
      write_token(rewrite.content, list, list.tokens[t]);
    }
  }
  rewrite.content.append(kept_tail(list));
  return rewrite;
}
