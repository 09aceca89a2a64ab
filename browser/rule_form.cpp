// browser/rule_form.cpp: the rule form's keys, the rule it describes, and its drawing.
#include "browser/rule_form.h"

#include "terminal/screen_text.h"
#include "terminal/terminal.h"

namespace {

constexpr int enter_key = 13;  // Enter, with newline translation off
constexpr int space_key = 32;
constexpr int delete_key = 127;
constexpr int control_h_key = 8;
constexpr std::size_t meters_text_limit = 24;

constexpr int title_line = 0;
constexpr int first_field_line = 2;
constexpr int keys_line = first_field_line + rule_field_count + 1;
constexpr int label_column = 2;
constexpr int value_column = 19;

constexpr std::string_view help_page[] = {
    "Keys of the rule form (m in the library tree)",
    "",
    "  Up/Down             move between the lines of the form (wrapping around)",
    "  Left/Right, Space   change the highlighted choice, or switch a difficulty on/off",
    "  0-9 and -           type the meter range on the Meters line: A-B, or one meter A;",
    "                      Backspace deletes, and nothing typed means any meter",
    "  Enter               select or clear every chart the rule matches, and go back",
    "  Esc                 go back to the library tree without changing anything",
    "  ?, h or F1          this help",
    "",
    "  Where: the whole library, the group under the cursor, or the songs the last",
    "  search found (the titles that hold its text, and every song of a group whose",
    "  name holds it).",
    "  Rescaled before: charts whose meter an earlier run divided are left out unless",
    "  this says included.",
    "",
    "Press any key to go back.",
};

// Both modes, Single alone, Double alone: the mode line's three choices in turn.
int mode_choice(const ChartRule& rule) {
  if (rule.modes[0] && rule.modes[1]) return 0;
  return rule.modes[0] ? 1 : 2;
}

void set_mode_choice(ChartRule& rule, int choice) { rule.modes = {choice != 2, choice != 1}; }

RuleWhere next_where(RuleWhere where, int step, bool can_search) {
  int choices = can_search ? 3 : 2;
  int next = (static_cast<int>(where) + step + choices) % choices;
  return static_cast<RuleWhere>(next);
}

// Left (step -1), Right or Space (step 1) on the highlighted line.
void change_field(RuleForm& form, int step, bool can_search) {
  int field = form.field;
  if (field == rule_mode_field) {
    set_mode_choice(form.rule, (mode_choice(form.rule) + step + 3) % 3);
  } else if (field >= rule_first_difficulty_field && field < rule_meters_field) {
    bool& on =
        form.rule.difficulties[static_cast<std::size_t>(field - rule_first_difficulty_field)];
    on = !on;
  } else if (field == rule_where_field) {
    form.where = next_where(form.where, step, can_search);
  } else if (field == rule_rescaled_field) {
    form.rule.include_rescaled = !form.rule.include_rescaled;
  } else if (field == rule_action_field) {
    form.action = form.action == RuleAction::Select ? RuleAction::Clear : RuleAction::Select;
  }
}

void edit_meters(RuleForm& form, int key) {
  if (key == backspace_key || key == delete_key || key == control_h_key) {
    if (!form.meters.empty()) form.meters.pop_back();
  } else if (((key >= '0' && key <= '9') || key == '-') && form.meters.size() < meters_text_limit) {
    form.meters += static_cast<char>(key);
  }
  form.meters_wrong = false;
}

std::string field_text(const RuleForm& form, int field, std::string_view group,
                       std::string_view search_text) {
  constexpr const char* modes[] = {"Single and Double", "Single", "Double"};
  if (field == rule_mode_field) return modes[mode_choice(form.rule)];
  if (field < rule_meters_field) {
    auto d = static_cast<std::size_t>(field - rule_first_difficulty_field);
    return std::string(form.rule.difficulties[d] ? "[Y] " : "[ ] ") +
           std::string(difficulty_name(static_cast<Difficulty>(d)));
  }
  if (field == rule_meters_field)
    return form.meters.empty() ? "any (type e.g. 10-15)" : form.meters;
  if (field == rule_where_field) {
    if (form.where == RuleWhere::Group) return "the group " + std::string(group);
    if (form.where == RuleWhere::SearchMatches)
      return "the songs found by /" + std::string(search_text);
    return "the whole library";
  }
  if (field == rule_rescaled_field) return form.rule.include_rescaled ? "included" : "left out";
  return form.action == RuleAction::Select ? "select" : "clear";
}

const char* field_label(int field) {
  switch (field) {
  case rule_mode_field: return "Mode";
  case rule_first_difficulty_field: return "Difficulties";
  case rule_meters_field: return "Meters";
  case rule_where_field: return "Where";
  case rule_rescaled_field: return "Rescaled before";
  case rule_action_field: return "Do";
  }
  return "";
}

}  // namespace

RuleFormStep handle_rule_form_key(RuleForm& form, int key, bool can_search) {
  if (form.where == RuleWhere::SearchMatches && !can_search) form.where = RuleWhere::Library;
  switch (key) {
  case enter_key:
  case keypad_enter_key:
    form.meters_wrong = !rule_of_form(form);
    return form.meters_wrong ? RuleFormStep::Stay : RuleFormStep::Apply;
  case escape_key: return RuleFormStep::Cancel;
  case up_key: form.field = (form.field + rule_field_count - 1) % rule_field_count; break;
  case down_key: form.field = (form.field + 1) % rule_field_count; break;
  case left_key: change_field(form, -1, can_search); break;
  case right_key:
  case space_key: change_field(form, 1, can_search); break;
  default:
    if (form.field == rule_meters_field) edit_meters(form, key);
  }
  return RuleFormStep::Stay;
}

std::optional<ChartRule> rule_of_form(const RuleForm& form) {
  ChartRule rule = form.rule;
  if (form.meters.empty()) return rule;
  std::optional<MeterRange> range = parse_meter_range(form.meters);
  if (!range) return std::nullopt;
  rule.meter_from = range->from;
  rule.meter_to = range->to;
  return rule;
}

void draw_rule_form(const RuleForm& form, std::string_view group, std::string_view search_text) {
  clear_screen();
  put_text(title_line, 0, "Select or clear charts by rule");
  for (int field = 0; field < rule_field_count; ++field) {
    int y = first_field_line + field;
    put_text(y, label_column, field_label(field));
    put_text(y, value_column, field_text(form, field, group, search_text),
             field == form.field ? TextStyle::Highlight : TextStyle::Plain);
  }
  put_text(keys_line, 0, "(Enter) Apply, (Esc) Back, (Left/Right/Space) Change, (?) Help");
  if (form.meters_wrong)
    put_text(keys_line + 1, 0, "Meters: type a range A-B, such as 10-15, or one meter");
  show_screen();
}

std::span<const std::string_view> rule_form_help_page() { return help_page; }
