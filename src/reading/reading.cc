#include "reading/reading.h"

#include <algorithm>

#include "model/fields.h"
#include "system/windows_1252.h"

namespace scenario {
namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<std::string> next_keyword_field(field_reader& fields) {
  if (fields.at_end()) return std::nullopt;
  std::string field = fields.read_text();
  for (int skipped = 0; !fields.at_end() && skipped < 2 && contains(field, "-"); ++skipped)
    field = fields.read_text();
  if (fields.at_end()) return std::nullopt;
  return field;
}

bool contains(std::string_view field, std::string_view what) {
  return field.find(what) != std::string_view::npos;
}

bool contains_ignoring_case(std::string_view field, std::string_view what) {
  auto it = std::search(field.begin(), field.end(), what.begin(), what.end(),
                        [](char a, char b) { return fold(a) == fold(b); });
  return it != field.end() || what.empty();
}

std::string describe(const placed_mark& mark, const general_table_t& table) {
  const std::string at = " at " + std::to_string(mark.position) + " m";
  auto station = [&] {
    const size_t n = static_cast<size_t>(mark.number);
    const general_entry& e = table[n < table.size() ? n : 0];
    return "station " + std::to_string(mark.number) + " (" + readable(station_slot::name.of(e)) +
           ", " + std::to_string(station_slot::position.of(e)) + " m)";
  };
  switch (mark.role) {
    case mark_role::signal:
      return "the signal" + at;
    case mark_role::speed_board:
      return "the speed board" + at;
    case mark_role::sign_board: {
      const size_t slot = static_cast<size_t>(mark.number);
      return "the sign board" + at + " (" + quoted(slot < table.size() ? table[slot].text : "") +
             ")";
    }
    case mark_role::abbattimento:
      return "the abbattimento mark" + at;
    case mark_role::slowdown_warning:
      return "the warning point of the slowdown" + at;
    case mark_role::slowdown_start:
      return "the start of the slowdown" + at;
    case mark_role::slowdown_end:
      return "the end of the slowdown" + at;
    case mark_role::slowdown_lead_in:
      return "a lead-in cell of the slowdown" + at;
    case mark_role::stop_mark:
      return "the stop mark of " + station();
    case mark_role::station:
      return station();
    case mark_role::none:
      break;
  }
  return "nothing";
}

std::string quoted(std::string_view field) {
  constexpr size_t kLongest = 60;
  std::string out = "\"" + readable(field.substr(0, kLongest));
  if (field.size() > kLongest) out += "...";
  return out + "\"";
}

}  // namespace scenario
