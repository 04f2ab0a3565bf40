// Signals: value4 = rapp x 10 + sx x 3 + dx, and the approach mark on the
// 2nd, 4th, 6th and 8th cell before the signal (sx x 3 + dx) x 10 + step,
// kept to 8 bits.  The cells tell value4 and the marks that won, so each
// signal's q = sx x 3 + dx is chosen so that every mark a cell holds is one
// some entry writes; sx, dx and rapp follow from q and value4.
#ifndef SCENARIO_TOOL_DECOMPILE_SIGNALS_H_
#define SCENARIO_TOOL_DECOMPILE_SIGNALS_H_

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {

using mark_list = std::vector<std::pair<int64_t, uint8_t>>;

class signal_choice {
 public:
  explicit signal_choice(const held_scenario& held) : held_(held) {}

  // The approach marks a signal on `cell` with this q writes.
  mark_list marks(int64_t cell, int64_t q) const;

  // The q of every signal the cells show, knowing the stations' marks.
  std::vector<int64_t> choose(const std::vector<int64_t>& cells,
                              const std::vector<recovered_station>& stations);

  // The q of a signal a stop mark covers, the others' marks known, and how
  // many marks no entry explains yet it explains.
  int64_t choose_covered(int64_t cell, int16_t value4, int& newly_explained) const;
  // Counts a covered signal's marks in.
  void place(int64_t cell, int64_t q) { note(cell, marks(cell, q)); }

  // Whether some entry already writes the mark `cell` holds.
  bool explained(int64_t cell) const;

  signal_entry entry(int64_t cell, const track_segment& s, int64_t q, bool covered) const;

 private:
  int64_t natural_q(int64_t cell, int16_t value4) const;
  std::vector<int64_t> alternatives(int64_t cell, int16_t value4) const;
  int gain(int64_t cell, int64_t from, int64_t to) const;
  bool fix(int64_t cell, std::vector<int64_t>& q, std::vector<int64_t>& touched);

  void note(int64_t writer, const mark_list& marks);
  void forget(int64_t writer, const mark_list& marks);
  bool written_by_other(int64_t cell, uint8_t mark, int64_t writer) const;

  const held_scenario& held_;
  // Who writes which mark on a cell: a signal by its cell, a station by
  // minus its slot.
  std::unordered_map<int64_t, std::vector<std::pair<int64_t, uint8_t>>> written_;
  std::unordered_map<int64_t, size_t> signal_at_;  // cell -> index in choose's list
  std::vector<int64_t> cells_;
};

}  // namespace scenario::tool::recovery

#endif  // SCENARIO_TOOL_DECOMPILE_SIGNALS_H_
