#include "tool/lsp/features/field_text.h"

#include <algorithm>

#include "model/positions.h"
#include "model/rounding.h"
#include "reading/reading.h"

namespace scenario::tool::lsp {

std::string field_list(const entry_form& form) {
  std::string list;
  for (const field_form& f : form.fields) {
    if (!list.empty()) list += ", ";
    list += f.name;
  }
  return list;
}

std::optional<int64_t> number_value(std::string_view field) {
  if (field.empty()) return 0;
  size_t i = field[0] == '-' || field[0] == '+' ? 1 : 0;
  if (i == field.size() || field.size() - i > 18) return std::nullopt;
  int64_t v = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    v = v * 10 + (field[i] - '0');
  }
  return field[0] == '-' ? -v : v;
}

int64_t kept_value(stored_as storage, int64_t value) {
  switch (storage) {
    case stored_as::low8:
      return low8(value);
    case stored_as::low16:
      return low16(value);
    case stored_as::gradient:
      return int64_t{low8(value + 100)} - 100;
    case stored_as::tunnel_type:  // the markers' 10 comes off first
      return value > 10 ? int64_t{low8(value - 10)} + 10 : int64_t{low8(value)};
    case stored_as::speed_step:
      return 5 * round_div(value, 5);
    default:
      return value;
  }
}

int64_t nearest_fitting(stored_as storage, int64_t value) {
  switch (storage) {
    case stored_as::low8:
      return std::clamp<int64_t>(value, 0, 255);
    case stored_as::low16:
      return std::clamp<int64_t>(value, -32768, 32767);
    case stored_as::gradient:
      return std::clamp<int64_t>(value, -100, 155);
    case stored_as::tunnel_type:
      return std::clamp<int64_t>(value, 0, 265);
    default:
      return value;
  }
}

std::string stored_text(const field_form& field, int64_t value) {
  const std::string v = std::to_string(value);
  switch (field.storage) {
    case stored_as::segment: {
      const int64_t index = segment_index(value, field.offset);
      const int64_t written = segment_position(index, field.offset);
      std::string s = "Lands on segment " + std::to_string(index) + " (" +
                      covering_text(segment_span(index)) + "); an author writes " +
                      std::to_string(written) + " m for that segment";
      if (written != value) s += ": " + v + " m is rounded to it";
      return s + ".";
    }
    case stored_as::low8:
    case stored_as::low16:
    case stored_as::gradient:
    case stored_as::tunnel_type:
    case stored_as::speed_step: {
      const int64_t kept = kept_value(field.storage, value);
      if (kept == value) return "";
      const char* how = field.storage == stored_as::speed_step ? "rounded to its 5 km/h step"
                                                               : "wrapped: it does not fit";
      return "Stored as " + std::to_string(kept) + " (" + how + ").";
    }
    case stored_as::combined:
      return "Combined with the entry's other codes into one stored value.";
    case stored_as::length:
      return field.offset != 0 ? "Not kept itself: it places the entry's end." : "Not kept itself.";
    default:
      return "";
  }
}

}  // namespace scenario::tool::lsp
