// The line description behind the general table's line slots, the route plan
// and the segment array's line fields (gradients, tunnels, boards).
#include <algorithm>
#include <array>
#include <map>

#include "line/progressive.h"
#include "model/fields.h"
#include "model/rounding.h"
#include "model/segment_access.h"
#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {
namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The three progressive entries as read ("uno", "due", "tre"), in the slots
// they are read into.
general_table_t read_progressives(const std::array<progressive_entry, 3>& read) {
  general_table_t t{};
  const int slots[] = {kSlotProgressiveUno, kSlotProgressiveDue, kSlotProgressiveTre};
  using namespace progressive_slot;
  for (int i = 0; i < 3; ++i) {
    position.of(t[slots[i]]) = static_cast<int32_t>(read[i].position);
    value.of(t[slots[i]]) = static_cast<int32_t>(read[i].value);
    flag.of(t[slots[i]]) = static_cast<int32_t>(read[i].flag);
  }
  return t;
}

bool same_progressives(const general_table_t& a, const general_table_t& b) {
  using namespace progressive_slot;
  for (int s = kSlotProgressiveTre; s <= kSlotProgressiveUno; ++s)
    if (position.of(a[s]) != position.of(b[s]) || value.of(a[s]) != value.of(b[s]) ||
        flag.of(a[s]) != flag.of(b[s]))
      return false;
  return true;
}

// The ordering moves whole entries and adds 100 to a flagged value, so each
// slot's entry is one of the three read; which one is found by trying every
// assignment, "uno" in slot 83, "due" in 82, "tre" in 81 first.
void recover_progressives(held_scenario& held, line_entries& e) {
  std::array<progressive_entry, 3> slots;  // as read, from slots 83, 82, 81
  for (int i = 0; i < 3; ++i) {
    using namespace progressive_slot;
    const general_entry& s = held.table[kSlotProgressiveUno - i];
    slots[i] = {position.of(s), int64_t{value.of(s)} - (flag.of(s) == 1 ? 100 : 0), flag.of(s)};
  }
  std::array<int, 3> order = {0, 1, 2};
  do {
    const std::array<progressive_entry, 3> read = {slots[order[0]], slots[order[1]],
                                                   slots[order[2]]};
    general_table_t t = read_progressives(read);
    try {
      progressive_ordina(t);
    } catch (const run_time_failure&) {
      continue;
    }
    if (same_progressives(t, held.table)) {
      e.uno = read[0], e.due = read[1], e.tre = read[2];
      return;
    }
  } while (std::next_permutation(order.begin(), order.end()));
  e.uno = slots[0], e.due = slots[1], e.tre = slots[2];
  held.notes.push_back("no kilometric progressive entries give slots 81 to 83 as they are held");
}

void recover_general(held_scenario& held, line_entries& e) {
  const general_table_t& t = held.table;
  e.length = train_and_length_slot::route_length.in(t);
  recover_progressives(held, e);
  e.scenery_uno = scenery_and_line_slot::scenery_one.in(t);
  e.scenery_tre = scenery_and_line_slot::scenery_three.in(t);
  e.scenery_due = scenery_and_line_slot::scenery_two.in(t);
  using namespace signalling_and_train_slot;
  e.repetition_start = repetition_from.in(t);
  e.repetition_end = repetition_to.in(t);
  e.repetition_codes = repetition_codes.in(t) == 9 ? 9 : 4;
}

int64_t gradient_of(int64_t stored) { return stored - 100; }

// Sign boards take general-table slots downward from 80, one per entry in
// the order read; a board whose cell a stop mark took since stands on that
// stop mark's cell.
void recover_sign_boards(held_scenario& held, const service_findings& findings, line_entries& e) {
  std::map<int64_t, std::vector<int64_t>> cells_of_slot;
  int64_t lowest = kFirstSignBoardSlot + 1;
  for (int64_t c = 0; c <= held.last; ++c) {
    if (held.at(c).kind != kSignBoard) continue;
    cells_of_slot[held.at(c).value1].push_back(c);
    lowest = std::min<int64_t>(lowest, held.at(c).value1);
  }
  for (int64_t s = findings.stations + 1; s <= kFirstSignBoardSlot; ++s) {
    if (!held.table[s].text.empty()) lowest = std::min(lowest, s);
  }
  size_t next_stop = 0;
  for (int64_t slot = kFirstSignBoardSlot; slot >= std::max<int64_t>(lowest, 1); --slot) {
    const auto it = cells_of_slot.find(slot);
    int64_t cell = -1;
    if (it != cells_of_slot.end()) {
      cell = it->second.front();
      if (it->second.size() > 1)
        held.notes.push_back("sign-board text slot " + std::to_string(slot) +
                             " is named by more than one cell; a board has one");
    } else if (next_stop < findings.free_stop_cells.size()) {
      cell = findings.free_stop_cells[next_stop++];
    } else {
      held.notes.push_back("sign-board text slot " + std::to_string(slot) +
                           " belongs to no cell, and no stop mark can have covered its board");
      cell = held.last - 1;
    }
    e.sign_boards.push_back(
        {segment_position(cell, kMarkOffset), held.table[static_cast<size_t>(slot)].text});
    if (!text_field(held.table[static_cast<size_t>(slot)].text))
      held.notes.push_back("sign-board text slot " + std::to_string(slot) +
                           ": no text field can hold a text that needs quotes and holds a quote");
  }
}

}  // namespace

speed_board_entry speed_board_at(int64_t cell, const track_segment& s) {
  speed_board_entry b;
  b.position = segment_position(cell, kMarkOffset);
  const int16_t packed[] = {s.value1, s.value2, s.value3};
  // vad / 5 + vas * 20: the left speed takes the twenties, the right the rest.
  for (size_t i = 0; i < 3; ++i) {
    const int64_t left = floor_div(packed[i], 20);
    b.values[i] = left;
    b.values[4 + i] = 5 * (packed[i] - 20 * left);
  }
  b.values[3] = s.value4 / 10;
  b.values[7] = s.value4 % 10;
  return b;
}

std::vector<profile_entry> recover_profile(const std::vector<int64_t>& column,
                                           int64_t (*value_of)(int64_t)) {
  std::vector<profile_entry> steps;
  const int64_t last = static_cast<int64_t>(column.size()) - 1;
  const int64_t last_start = last - 2;  // the furthest cell the range test admits
  if (last_start < 0) return steps;
  // The completion writes up to three cells before the end; entries at the
  // last position admitted write one cell more each.
  int64_t written = std::max<int64_t>(last - 3, 0);
  for (int64_t c = last; c > written; --c) {
    if (column[static_cast<size_t>(c)] != 0) {
      written = c;
      break;
    }
  }
  steps.push_back({0, value_of(column[0])});
  int64_t cursor = 0;
  for (int64_t c = 1; c <= std::min(written, last_start); ++c) {
    if (column[static_cast<size_t>(c)] == column[static_cast<size_t>(c - 1)]) continue;
    steps.push_back({segment_position(c, 0), value_of(column[static_cast<size_t>(c)])});
    cursor = c;
  }
  if (written >= last_start && last_start >= 1) {
    if (cursor != last_start)
      steps.push_back(
          {segment_position(last_start, 0), value_of(column[static_cast<size_t>(last_start)])});
    for (int64_t c = last_start + 1; c <= written; ++c)
      steps.push_back({segment_position(last_start, 0), value_of(column[static_cast<size_t>(c)])});
  }
  return steps;
}

line_entries recover_line(held_scenario& held, const service_findings& findings) {
  line_entries e;
  recover_general(held, e);
  e.curves = recover_curves(held);
  std::vector<int64_t> gradients;
  gradients.reserve(held.cells.size());
  for (const track_segment& s : held.cells) gradients.push_back(s.gradient);
  e.gradients = recover_profile(gradients, gradient_of);
  e.tunnels = recover_tunnels(held);
  for (int64_t c = 0; c <= held.last; ++c)
    if (held.at(c).kind == kSpeedBoard) e.speed_boards.push_back(speed_board_at(c, held.at(c)));
  e.speed_boards.insert(e.speed_boards.end(), findings.hidden_boards.begin(),
                        findings.hidden_boards.end());
  std::sort(e.speed_boards.begin(), e.speed_boards.end(),
            [](const auto& a, const auto& b) { return a.position < b.position; });
  recover_sign_boards(held, findings, e);
  return e;
}

}  // namespace scenario::tool::recovery
