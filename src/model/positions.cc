#include "model/positions.h"

namespace scenario {

std::optional<int64_t> placement_offset(uint8_t kind) {
  for (const placed_kind& p : kPlacedKinds)
    if (p.kind == kind) return p.offset;
  return std::nullopt;
}

std::optional<int64_t> author_position(uint8_t kind, int64_t index) {
  const std::optional<int64_t> offset = placement_offset(kind);
  if (!offset) return std::nullopt;
  return segment_position(index, *offset);
}

std::string written_at_text(int64_t metres) { return "at " + std::to_string(metres) + " m"; }

std::string covering_text(metre_span span) {
  return "covering " + std::to_string(span.from) + "-" + std::to_string(span.to) + " m";
}

std::string segment_text(int64_t index, uint8_t kind) {
  const std::optional<int64_t> at = author_position(kind, index);
  return "segment " + std::to_string(index) + ", " +
         (at ? written_at_text(*at) : covering_text(segment_span(index)));
}

}  // namespace scenario
