// library/chart_selection.h: a selection given by name, as the command line's selection
// flags give it: shell patterns on group and song names, modes, difficulties, meter ranges,
// and whether charts rescaled before count. Kinds are combined with AND, the values of one
// kind with OR. It is applied through the shared rules (library/chart_rule.h), so the
// counts of the selection stay current.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "library/chart_rule.h"
#include "library/scale_table.h"

struct ChartSelection {
  std::vector<std::string> group_patterns;  // on group folder names; none: every group
  std::vector<std::string> song_patterns;   // on song folder names or titles; none: every song
  std::array<bool, mode_count> modes{};     // the modes named; none: every mode
  std::array<bool, difficulty_count> difficulties{};  // the difficulties named; none: all
  std::vector<MeterRange> meters;                     // none: every meter
  bool include_rescaled = false;  // charts an earlier run rescaled are chosen too
};

// Whether `selection` names anything at all (any flag was given).
bool names_anything(const ChartSelection& selection);

// Per mode and difficulty: whether charts of that kind may be chosen.
using ChartKinds = std::array<std::array<bool, difficulty_count>, mode_count>;

// Every kind of chart.
ChartKinds every_kind();

// The kinds that have a step in `table` (above 0).
ChartKinds kinds_with_steps(const ScaleTable& table);

// The songs, in library order, of the groups whose name matches a group pattern, whose
// folder name or title matches a song pattern (fnmatch, letter case counts).
SongScope pattern_scope(const std::vector<SongGroup>& groups, const ChartSelection& selection);

// Selects every chart of `kinds` that `selection` names, keeping `counts`; charts already
// selected stay so.
void select_named_charts(SelectionCounts& counts, std::vector<SongGroup>& groups,
                         const ChartSelection& selection, const ChartKinds& kinds);
