#include "reading/entry_notes.h"

#include "model/fields.h"
#include "model/rounding.h"
#include "reading/warning_ids.h"

namespace scenario {
namespace {

std::string metres(int64_t m) { return std::to_string(m) + " m"; }

}  // namespace

std::string snapped_to(int64_t index, int64_t offset) {
  return "segment " + std::to_string(index) + ", as if written at " +
         metres(segment_position(index, offset));
}

void entry_notes::warn(std::string_view id, text_position where, std::string message) {
  outcome_.warnings.push_back({text_, where, id, std::move(message)});
}

void entry_notes::given(std::string_view entry, text_position where) {
  auto [earlier, first] = given_.try_emplace(entry, where);
  if (first) return;
  warn(warning_id::kOverridden, where,
       "\"" + std::string(entry) + "\" is given again: this one wins over the one on line " +
           std::to_string(earlier->second.line));
  earlier->second = where;
}

void entry_notes::snapped(text_position where, std::string_view what, int64_t position,
                          int64_t offset) {
  if (position % kSegmentMetres == 0) return;
  warn(warning_id::kPositionSnapped, where,
       std::string(what) + " at " + metres(position) + " lands on " +
           snapped_to(segment_index(position, offset), offset) +
           ": a position that is not a multiple of 50 m is rounded to a segment");
}

void entry_notes::beyond_end(text_position where, std::string_view what, int64_t position,
                             const scenario_records& records) {
  const int32_t length = train_and_length_slot::route_length.in(records.general_table);
  if (position <= length) return;
  warn(warning_id::kBeyondLineEnd, where,
       std::string(what) + " at " + metres(position) + " lies past the end of the line (" +
           metres(length) + "), in the run-out the arrays keep beyond it; no train reaches it");
}

void entry_notes::wrapped(text_position where, std::string_view what, int64_t value, int bits) {
  const int64_t stored = bits == 8 ? int64_t{low8(value)} : int64_t{low16(value)};
  if (stored == value) return;
  warn(warning_id::kValueWrapped, where,
       std::string(what) + " " + std::to_string(value) + " is stored as its low " +
           std::to_string(bits) + " bits, " + std::to_string(stored) +
           ": the value does not fit its field");
}

void entry_notes::rounded(text_position where, std::string_view what, int64_t speed) {
  if (speed % 5 == 0) return;
  const int64_t stored = 5 * round_div(speed, 5);
  std::string message = std::string(what) + " " + std::to_string(speed) + " km/h is stored as " +
                        std::to_string(stored) + " km/h: speeds are kept in steps of 5 km/h";
  if (stored > speed) message += "; this one is rounded up, above the limit written";
  warn(warning_id::kValueRounded, where, message);
}

void entry_notes::encoding(text_position where, std::string_view what, std::string_view text) {
  if (!holds_utf8_sequences(text)) return;
  warn(warning_id::kEncoding, where,
       std::string(what) + " " + quoted(text) +
           " holds UTF-8 characters; the simulator reads Windows-1252, where each of them shows "
           "as two or three other characters (\"Citt\xC3\xA0\" shows as \"Citt\xC3\x83\xC2\xA0\")");
}

void entry_notes::in_order(text_position where, std::string_view what, int64_t position,
                           std::optional<int64_t>& previous) {
  if (previous && position <= *previous) {
    warn(warning_id::kOutOfOrder, where,
         std::string(what) + " at " + metres(position) +
             (position == *previous ? " repeats the position of the one before it"
                                    : " follows the one at " + metres(*previous)) +
             ": the entries must come in increasing position, or the profile comes out "
             "garbled");
  }
  previous = position;
}

void entry_notes::place(int64_t index, text_position where, mark_role role, int32_t position,
                        int32_t number) {
  outcome_.marks.place(index, placed_mark{role, text_, where, position, number});
}

void entry_notes::place_approach_marks(std::span<const int64_t> indices, text_position where,
                                       mark_role role, int32_t position, int32_t number,
                                       const general_table_t& table) {
  const placed_mark mine{role, text_, where, position, number};
  std::string over;
  for (int64_t index : indices) {
    if (const placed_mark* earlier = outcome_.approach_marks.find(index)) {
      over += (over.empty() ? "" : "; ") + std::string("segment ") + std::to_string(index) +
              " held that of " + describe(*earlier, table) + " (line " +
              std::to_string(earlier->where.line) + ")";
    }
    outcome_.approach_marks.place(index, mine);
  }
  if (!over.empty())
    warn(warning_id::kMarkOverwritten, where,
         "the approach marks of " + describe(mine, table) +
             " are written over other entries' marks, which are lost: " + over);
}

std::string entry_notes::holder(int64_t index, const scenario_records& records) const {
  if (const placed_mark* mark = outcome_.marks.find(index)) {
    std::string from = "line " + std::to_string(mark->where.line);
    if (mark->text != text_)
      from += mark->text == source_kind::line_description ? " of the line description"
                                                          : " of the train service text";
    return describe(*mark, records.general_table) + " (" + from + ")";
  }
  const uint8_t kind = index >= 0 && index <= records.segment_last
                           ? records.segments[static_cast<size_t>(index)].kind
                           : uint8_t{0};
  return "a mark of kind " + std::to_string(kind);
}

std::string before_line_start(int64_t position) {
  return "position " + metres(position) + " lies before the start of the line";
}

std::string outside_line(std::string_view keyword, int64_t position, const outside_array& outside,
                         const scenario_records& records) {
  const std::string where =
      outside.metre
          ? "metre " + std::to_string(outside.index) + " of the route plan, past its last, " +
                std::to_string(records.geometry_last)
          : "segment " + std::to_string(outside.index) + ", outside the line's segments 0 to " +
                std::to_string(records.segment_last);
  std::string cause;
  if (!outside.metre && outside.index < 0 && contains_ignoring_case(keyword, "segnale"))
    cause = " (a signal's approach marks need 8 segments behind it, 350 m of line)";
  return quoted(keyword) + " at " + metres(position) + " reaches " + where + cause;
}

bool holds_utf8_sequences(std::string_view text) {
  auto continuation = [&text](size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    return c >= 0x80 && c <= 0xBF;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t follow = lead >= 0xC2 && lead <= 0xDF   ? 1
                          : lead >= 0xE0 && lead <= 0xEF ? 2
                          : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                         : 0;
    if (follow == 0 || i + follow >= text.size()) continue;
    bool sequence = true;
    for (size_t k = 1; k <= follow; ++k) sequence = sequence && continuation(i + k);
    if (sequence) return true;
  }
  return false;
}

}  // namespace scenario
