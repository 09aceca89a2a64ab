// browser/rule_form.h: the form that selects or clears charts by rule, opened with m in
// the library tree: one line per field, Up and Down between them, Left, Right and Space
// to change one, digits and - to type the meter range, Enter to apply, Esc to go back.
// No curses call is made here but in draw_rule_form.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "library/chart_rule.h"

// Which songs the rule looks at.
enum class RuleWhere { Library, Group, SearchMatches };

// The form's lines that Up and Down move between, top to bottom: the mode, one line per
// difficulty, the meters, where, whether charts rescaled before are included, and
// whether to select or clear.
constexpr int rule_mode_field = 0;
constexpr int rule_first_difficulty_field = 1;
constexpr int rule_meters_field = rule_first_difficulty_field + difficulty_count;
constexpr int rule_where_field = rule_meters_field + 1;
constexpr int rule_rescaled_field = rule_where_field + 1;
constexpr int rule_action_field = rule_rescaled_field + 1;
constexpr int rule_field_count = rule_action_field + 1;

struct RuleForm {
  ChartRule rule{};      // the modes, difficulties and include_rescaled chosen
  std::string meters{};  // the meter range as typed: "A-B", "A", or empty for any meter
  RuleWhere where = RuleWhere::Library;
  RuleAction action = RuleAction::Select;
  int field = 0;              // the highlighted line
  bool meters_wrong = false;  // Enter found the meter text not a range
};

// What a key did to the form.
enum class RuleFormStep { Stay, Apply, Cancel };

// Applies one key. `can_search` tells whether a search text exists, without which the
// songs of the last search are not offered as a scope.
RuleFormStep handle_rule_form_key(RuleForm& form, int key, bool can_search);

// The rule the form describes; nothing when the meter text is not a range.
std::optional<ChartRule> rule_of_form(const RuleForm& form);

// Paints the form; `group` is the name of the group under the browser's cursor, and
// `search_text` the last search text.
void draw_rule_form(const RuleForm& form, std::string_view group, std::string_view search_text);

// The form's keys, for the ? help.
std::span<const std::string_view> rule_form_help_page();
