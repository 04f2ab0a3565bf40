// Authors write sx and dx of 0 to 3, so q is the last digit of value4, or
// ten more; every signal starts from that.  A cell whose mark no entry then
// writes needs a signal whose q wraps its mark past 255: the signal covering
// that cell whose change leaves the most cells explained takes it, and the
// cells around it are looked at again.
#include "tool/decompile/signals.h"

#include <algorithm>
#include <optional>

#include "model/rounding.h"
#include "reading/reading.h"

namespace scenario::tool::recovery {
namespace {

uint8_t mark_of(int64_t q, int64_t step) { return low8(q * 10 + step); }

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); }

// The q (mod 128) whose step `step` writes `mark`: 10 q = mark - step
// (mod 256), so q = (mark - step) / 2 x 5^-1 (mod 128), 77 being 5^-1.
std::optional<int64_t> residue_for(uint8_t mark, int64_t step) {
  const int64_t t = int64_t{mark} - step;
  if (((t % 2) + 2) % 2 != 0) return std::nullopt;
  return ((((t / 2) * 77) % 128) + 128) % 128;
}

// q = residue (mod 128) with value4 - q a multiple of 10 (so that rapp is a
// whole number), nearest to 0.
std::optional<int64_t> near_q(int64_t residue, int64_t value4) {
  std::optional<int64_t> best;
  for (int64_t q = residue - 640; q <= residue + 640; q += 128)
    if ((value4 - q) % 10 == 0 && (!best || std::abs(q) < std::abs(*best))) best = q;
  return best;
}

}  // namespace

mark_list signal_choice::marks(int64_t cell, int64_t q) const {
  mark_list m;
  for (int64_t step = 1; step <= 4; ++step)
    if (held_.inside(cell - 2 * step)) m.push_back({cell - 2 * step, mark_of(q, step)});
  return m;
}

int64_t signal_choice::natural_q(int64_t cell, int16_t value4) const {
  const int64_t digit = ((value4 % 10) + 10) % 10;
  int best = -1;
  int64_t best_q = digit;
  for (int64_t q : {digit, digit + 10}) {
    int held_marks = 0;
    for (const auto& [c, m] : marks(cell, q)) held_marks += held_.at(c).approach_mark == m;
    if (held_marks > best) best = held_marks, best_q = q;
  }
  return best_q;
}

// The q that give one of the marks the signal's cells hold.
std::vector<int64_t> signal_choice::alternatives(int64_t cell, int16_t value4) const {
  std::vector<int64_t> found;
  for (int64_t step = 1; step <= 4; ++step) {
    const int64_t c = cell - 2 * step;
    // A cell without a mark may never have been written at all.
    if (!held_.inside(c) || held_.at(c).approach_mark == 0) continue;
    if (const std::optional<int64_t> r = residue_for(held_.at(c).approach_mark, step))
      if (const std::optional<int64_t> q = near_q(*r, value4)) found.push_back(*q);
  }
  return found;
}

bool signal_choice::written_by_other(int64_t cell, uint8_t mark, int64_t writer) const {
  const auto it = written_.find(cell);
  return it != written_.end() && std::any_of(it->second.begin(), it->second.end(), [&](auto w) {
           return w.first != writer && w.second == mark;
         });
}

bool signal_choice::explained(int64_t cell) const {
  const uint8_t held = held_.at(cell).approach_mark;
  const auto it = written_.find(cell);
  if (it == written_.end() || it->second.empty()) return held == 0;
  return written_by_other(cell, held, INT64_MIN);
}

// How many more of the signal's cells hold a mark some entry writes when
// its q goes from `from` to `to`.
int signal_choice::gain(int64_t cell, int64_t from, int64_t to) const {
  const mark_list before = marks(cell, from), after = marks(cell, to);
  int g = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    const int64_t c = before[i].first;
    const uint8_t held = held_.at(c).approach_mark;
    const bool others = written_by_other(c, held, cell);
    g += (others || after[i].second == held) - (others || before[i].second == held);
  }
  return g;
}

// Gives the cell's mark to one of the signals that write on it, if that
// leaves more cells explained; `touched` receives that signal's cells.
bool signal_choice::fix(int64_t cell, std::vector<int64_t>& q, std::vector<int64_t>& touched) {
  int best_gain = 0;
  size_t best = 0;
  int64_t best_q = 0;
  for (int64_t step = 1; step <= 4; ++step) {
    const auto it = signal_at_.find(cell + 2 * step);
    if (it == signal_at_.end()) continue;
    const int64_t signal = cell + 2 * step;
    const std::optional<int64_t> r = residue_for(held_.at(cell).approach_mark, step);
    if (!r) continue;
    const std::optional<int64_t> to = near_q(*r, held_.at(signal).value4);
    if (!to) continue;
    const int g = gain(signal, q[it->second], *to);
    if (g > best_gain) best_gain = g, best = it->second, best_q = *to;
  }
  if (best_gain == 0) return false;
  const int64_t signal = cells_[best];
  forget(signal, marks(signal, q[best]));
  q[best] = best_q;
  note(signal, marks(signal, best_q));
  for (const auto& [c, m] : marks(signal, best_q)) touched.push_back(c);
  return true;
}

std::vector<int64_t> signal_choice::choose(const std::vector<int64_t>& cells,
                                           const std::vector<recovered_station>& stations) {
  for (const recovered_station& s : stations) note(-s.slot, s.approach);
  cells_ = cells;
  std::vector<int64_t> q;
  for (size_t i = 0; i < cells.size(); ++i) {
    signal_at_[cells[i]] = i;
    q.push_back(natural_q(cells[i], held_.at(cells[i]).value4));
    note(cells[i], marks(cells[i], q.back()));
  }
  std::vector<int64_t> work;
  std::vector<bool> queued(held_.cells.size(), false);
  auto push = [&](int64_t c) {
    if (!queued[static_cast<size_t>(c)]) queued[static_cast<size_t>(c)] = true, work.push_back(c);
  };
  for (int64_t cell : cells)
    for (const auto& [c, m] : marks(cell, 0)) push(c);
  // Each change explains one more cell at least, so the changes are bounded.
  for (size_t changes = 0; !work.empty() && changes <= 4 * cells.size();) {
    const int64_t c = work.back();
    work.pop_back();
    queued[static_cast<size_t>(c)] = false;
    std::vector<int64_t> touched;
    if (explained(c) || !fix(c, q, touched)) continue;
    ++changes;
    for (int64_t t : touched) push(t);
  }
  return q;
}

int64_t signal_choice::choose_covered(int64_t cell, int16_t value4, int& newly_explained) const {
  std::vector<int64_t> candidates = {natural_q(cell, value4)};
  const std::vector<int64_t> more = alternatives(cell, value4);
  candidates.insert(candidates.end(), more.begin(), more.end());
  int64_t best = candidates.front();
  int best_gain = 0;
  for (int64_t q : candidates) {
    int g = 0;
    for (const auto& [c, m] : marks(cell, q))
      g += !explained(c) && held_.at(c).approach_mark == m && m != 0;
    if (g > best_gain) best = q, best_gain = g;
  }
  newly_explained = best_gain;
  return best;
}

void signal_choice::note(int64_t writer, const mark_list& marks) {
  for (const auto& [c, m] : marks) written_[c].push_back({writer, m});
}

void signal_choice::forget(int64_t writer, const mark_list& marks) {
  for (const auto& [c, m] : marks)
    std::erase_if(written_[c], [writer](const auto& w) { return w.first == writer; });
}

signal_entry signal_choice::entry(int64_t cell, const track_segment& s, int64_t q,
                                  bool covered) const {
  signal_entry e;
  const int64_t sx = s.signal_time != 0 ? 2 : floor_div(q, 3);
  const int64_t st = s.signal_time;
  // 1..100 are stored as 101: a time of 257..356 keeps its low 8 bits.
  const int64_t tempo = st == 0 ? 0 : (st <= 100 ? st + 256 : st);
  // A stop mark took value1: any s1 and d1 will do.
  const int16_t v1 = covered ? 0 : s.value1;
  const int64_t position = segment_position(cell, kMarkOffset);
  const int64_t values[] = {
      position,   sx,      v1 / 10,       s.value2 / 10, s.value3 / 10, (s.value4 - q) / 10,
      q - 3 * sx, v1 % 10, s.value2 % 10, s.value3 % 10, tempo};
  // Each is a value an author's 32-bit field held.
  for (size_t i = 0; i < kSignalFields.size(); ++i)
    e.*kSignalFields[i] = static_cast<int32_t>(values[i]);
  return e;
}

}  // namespace scenario::tool::recovery
