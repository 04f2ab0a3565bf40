// The warnings both readers give about what an entry's values become: a
// position rounded onto a segment, an entry in the run-out past the line's
// end, a value kept as its low bits, a speed rounded to its 5 km/h step, a
// text in the wrong encoding, a profile out of order, a mark written over
// another entry's.  They only tell; what is stored stays exactly as the
// readers store it.
#ifndef SCENARIO_READING_ENTRY_NOTES_H_
#define SCENARIO_READING_ENTRY_NOTES_H_

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// "segment 226, as if written at 11250 m": the segment, and the position, a
// multiple of 50 m, that an entry mapping by `offset` writes to land there.
std::string snapped_to(int64_t index, int64_t offset);

class entry_notes {
 public:
  entry_notes(source_kind text, reading_outcome& outcome) : text_(text), outcome_(outcome) {}

  void warn(std::string_view id, text_position where, std::string message);

  // A general entry (one value for the whole scenario) read at `where`;
  // given twice, the later one wins, which the author may not have meant.
  void given(std::string_view entry, text_position where);

  // `what` at `position` lands on the segment position / 50 + offset
  // rounded; said when the position is not a multiple of 50 m.
  void snapped(text_position where, std::string_view what, int64_t position, int64_t offset);

  // An entry past the route length that the range test still lets in: it
  // lies in the run-out that the arrays keep beyond the line's end.
  void beyond_end(text_position where, std::string_view what, int64_t position,
                  const scenario_records& records);

  // `value` is stored as its low `bits` bits.
  void wrapped(text_position where, std::string_view what, int64_t value, int bits);

  // A speed stored in steps of 5 km/h.
  void rounded(text_position where, std::string_view what, int64_t speed);

  // A text the simulator shows as Windows-1252 bytes.
  void encoding(text_position where, std::string_view what, std::string_view text);

  // A profile entry (gradient, speed, adhesion) at `position`, after the
  // one before it at `*previous`; `previous` then holds this one.
  void in_order(text_position where, std::string_view what, int64_t position,
                std::optional<int64_t>& previous);

  // The entry now holds segment `index` with a mark of `role`, for the
  // descriptions of later conflicts.
  void place(int64_t index, text_position where, mark_role role, int32_t position,
             int32_t number = 0);
  // An entry's approach marks now stand on `indices`; one word for those
  // written over another entry's approach marks.
  void place_approach_marks(std::span<const int64_t> indices, text_position where, mark_role role,
                            int32_t position, int32_t number, const general_table_t& table);

  // What holds segment `index`: the entry that placed it, with its line, or
  // the cell's kind when no entry of this reading did.
  std::string holder(int64_t index, const scenario_records& records) const;

 private:
  source_kind text_;
  reading_outcome& outcome_;
  std::map<std::string_view, text_position> given_;
};

// The detail of failure 30: an entry at a negative position, or one whose
// keyword field `keyword` reaches a cell or metre outside the arrays.
std::string before_line_start(int64_t position);
std::string outside_line(std::string_view keyword, int64_t position, const outside_array& outside,
                         const scenario_records& records);

// A byte sequence of UTF-8 (a lead byte and its continuation bytes) in a
// text meant to be Windows-1252.
bool holds_utf8_sequences(std::string_view text);

}  // namespace scenario

#endif  // SCENARIO_READING_ENTRY_NOTES_H_
