#include "reading/entry_reader.h"

#include "model/rounding.h"

namespace scenario {

bool entry_reader::find_general_section() {
  for (;;) {
    const std::string field = fields_.read_text();
    entry_start_ = fields_.field_start();
    if (fields_.at_end()) return false;
    if (contains_ignoring_case(field, "[generale]")) return true;
  }
}

std::string entry_reader::missing_general_section(std::span<const counted_kind> kinds) const {
  return scenario::missing_general_section(source_, kinds);
}

entry_flow entry_reader::accept(int32_t first_value, text_position first_at, int64_t reach) {
  entry_value_ = first_value;
  entry_value_at_ = entry_end_at_ = first_at;
  if (int64_t{r_.segment_last} * kSegmentMetres < first_value + reach) {
    r_.failure_code = 15;
    r_.failure_position = first_value;
    outcome_.site = failure_site{text_, first_at};
    return entry_flow::end;
  }
  if (first_value < 0) {
    outcome_.detail = before_line_start(first_value);
    return quit_at(first_at, 30, first_value);
  }
  return entry_flow::next;
}

entry_flow entry_reader::quit(int32_t code, std::optional<int32_t> position) {
  r_.failure_code = code;
  if (position) r_.failure_position = *position;
  bool& used_up = text_ == source_kind::line_description ? outcome_.delete_line_description
                                                         : outcome_.delete_train_service;
  used_up = true;
  note_site();
  return entry_flow::quit;
}

entry_flow entry_reader::quit_at(text_position field, int32_t code,
                                 std::optional<int32_t> position) {
  const entry_flow flow = quit(code, position);
  outcome_.site = failure_site{text_, field};
  return flow;
}

void entry_reader::tell_field_slips() {
  for (field_slip& slip : fields_.take_slips())
    outcome_.warnings.push_back({text_, slip.where, slip.id, std::move(slip.message)});
}

entry_flow entry_reader::refuse(int32_t code, int32_t position, std::string_view entry,
                                int64_t cell, std::string_view part) {
  std::string detail = std::string(entry) + " at " + std::to_string(position) + " m: ";
  if (!part.empty()) detail += std::string(part) + ": ";
  outcome_.detail =
      detail + "segment " + std::to_string(cell) + " already holds " + notes_.holder(cell, r_);
  return quit(code, position);
}

void entry_reader::given(std::string_view entry) {
  fate_ = field_fate::taken;
  notes_.given(entry, entry_start_);
}

}  // namespace scenario
