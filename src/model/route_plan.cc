#include "model/route_plan.h"

namespace scenario {

namespace le = little_endian;

// Below four metres a column has no inner metres and its edges overlap;
// such a plan keeps every cell beside the bytes and is always encoded.
route_plan::route_plan(int32_t last) : last_(last) {
  if (last_ < 3) return;
  const std::size_t inner_metres = static_cast<std::size_t>(last_) - 3;
  column_bytes_ = kHeadBytes + kInnerCellBytes * inner_metres + kTailBytes;
  // Zeroed, the tail's two empty cells of each column are in place already.
  bytes_.resize(2 * column_bytes_);
}

void route_plan::set_integer(int32_t metre, int column, int16_t v) {
  if (inner(metre)) return replace_inner(metre, column, cell_tag::integer, v);
  set_edge(metre, column, cell_tag::integer, v);
  // Metres 0 and 1 are integers in the usual shape: their bytes go in place.
  if (metre < 2 && !bytes_.empty()) {
    char* p = bytes_.data() + static_cast<std::size_t>(column) * column_bytes_ + 4 * metre;
    le::store_u16(le::store_u16(p, static_cast<uint16_t>(cell_tag::integer)),
                  static_cast<uint16_t>(v));
  }
}

void route_plan::clear_cell(int32_t metre, int column) {
  if (inner(metre)) return replace_inner(metre, column, cell_tag::empty, 0.0);
  set_edge(metre, column, cell_tag::empty, 0.0);
}

void route_plan::set_edge(int32_t metre, int column, cell_tag tag, double value) {
  edge(metre, column) = {tag, value};
}

// An inner cell that is not a double: only a plan out of the usual shape has
// one, so it keeps the count of doubles that tells the shape.
void route_plan::replace_inner(int32_t metre, int column, cell_tag tag, double value) {
  char* p = slot(metre, column);
  if (le::load_u16(p) == kRealTag) --inner_reals_;
  le::store_f64(le::store_u16(p, static_cast<uint16_t>(tag)), value);
}

bool route_plan::usual_shape() const {
  if (bytes_.empty() || inner_reals_ != 2 * (static_cast<std::size_t>(last_) - 3)) return false;
  for (int column = 0; column < 2; ++column) {
    if (tag(0, column) != cell_tag::integer || tag(1, column) != cell_tag::integer ||
        tag(last_ - 1, column) != cell_tag::empty || tag(last_, column) != cell_tag::empty)
      return false;
  }
  return true;
}

std::optional<std::string_view> route_plan::file_bytes() const {
  if (!usual_shape()) return std::nullopt;
  return std::string_view(bytes_.data(), bytes_.size());
}

}  // namespace scenario
