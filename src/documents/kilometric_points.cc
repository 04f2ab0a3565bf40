#include "documents/kilometric_points.h"

#include <optional>

#include "model/fields.h"

namespace scenario {

int64_t kilometric_metres(const general_table_t& table, int64_t position) {
  std::optional<general_entry> at_or_before, first;
  for (int slot = kSlotProgressiveTre; slot <= kSlotProgressiveUno; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    const int32_t from = progressive_slot::position.of(e);
    if (from == 0 && progressive_slot::value.of(e) == 0) continue;
    if (from <= position && (!at_or_before || from > progressive_slot::position.of(*at_or_before)))
      at_or_before = e;
    if (!first || from < progressive_slot::position.of(*first)) first = e;
  }
  const std::optional<general_entry>& reference = at_or_before ? at_or_before : first;
  if (!reference) return position;
  return int64_t{progressive_slot::value.of(*reference)} +
         (position - progressive_slot::position.of(*reference));
}

std::string kilometres_text(int64_t metres) {
  const uint64_t magnitude = metres < 0 ? 0 - static_cast<uint64_t>(metres) : metres;
  std::string decimals = std::to_string(magnitude % 1000);
  decimals.insert(0, 3 - decimals.size(), '0');
  return (metres < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + decimals;
}

std::string kilometre_post_text(int64_t metres) {
  std::string text = kilometres_text(metres);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

}  // namespace scenario
