// The train service description behind the general table's train slots and
// stations and the segment array's service fields: profiles, stop and
// approach marks, slowdowns, signals and abbattimento marks.
#include <algorithm>
#include <optional>

#include "model/rounding.h"
#include "tool/decompile_recovery.h"

namespace scenario::tool::recovery {
namespace {

constexpr int64_t kLastMarkedStationType = 24;
constexpr int64_t kWarningReach = 1500;  // slowdowns starting up to here have no warning
constexpr int64_t kWarningCells = 24;    // from a slowdown's warning cell to its start cell

// Places in the usual order of the entries: stations, slowdowns, signals,
// abbattimento marks, each by slot or cell.
constexpr int64_t kUsualStride = int64_t{1} << 40;

bool is_station_slot(const general_entry& g) {
  return g.kind != 0 || g.value_a != 0 || g.value_b != 0 || g.value_c != 0 || g.option_a != 0 ||
         g.number_a != 0 || g.number_b != 0 || g.number_c != 0 || g.number_d != 0 ||
         g.number_e != 0 || g.option_b != 0 || g.option_c != 0 || g.option_d != 0 ||
         g.option_e != 0 || g.time_s != 0;
}

// The platform length the extent was computed from, and option_d as written:
// non-zero when the extent ends 50 m further (the first station's is stored
// as 0 all the same).
station_entry station_from(const general_entry& g) {
  station_entry s;
  s.position = g.value_c;
  s.type = g.kind;
  const int64_t p = g.value_c;
  int64_t option_d = g.option_d;
  if (g.kind >= 5 && g.kind <= 8) {
    s.length = p - g.value_a;
  } else {
    s.length = 2 * (p - g.value_a);
    if (int64_t{g.value_b} - (p + s.length / 2) == 50 && option_d == 0) option_d = 1;
  }
  s.options = {g.option_a, g.option_e, option_d,   g.number_a, g.number_b,
               g.option_b, g.number_c, g.number_d, g.number_e, g.option_c};
  s.hours = g.time_s / 3600;
  s.minutes = g.time_s % 3600 / 60;
  s.seconds = g.time_s % 60;
  s.name = g.text;
  return s;
}

int64_t speed_of(int64_t stored) { return 5 * stored; }
int64_t adhesion_of(int64_t stored) { return stored; }

template <typename Field>
std::vector<int64_t> column(const held_scenario& held, Field field) {
  std::vector<int64_t> values;
  values.reserve(held.cells.size());
  for (const track_segment& s : held.cells) values.push_back(s.*field);
  return values;
}

// Signals: value4 = rapp x 10 + sx x 3 + dx, and each approach mark
// (sx x 3 + dx) x 10 + step, kept to 8 bits.  q = sx x 3 + dx is chosen so
// that the marks come out as held where they can, rapp so that value4 does.
class signal_recovery {
 public:
  explicit signal_recovery(const held_scenario& held) : held_(held) {}

  std::vector<std::pair<int64_t, uint8_t>> marks(int64_t cell, int64_t q) const {
    std::vector<std::pair<int64_t, uint8_t>> m;
    for (int64_t step = 1; step <= 4; ++step)
      if (held_.inside(cell - 2 * step)) m.push_back({cell - 2 * step, mark(q, step)});
    return m;
  }

  // Authors write sx and dx of 0 to 3, so q is the last digit of value4 or
  // ten more; another q (one whose marks wrap past 255) is taken only when no
  // such q gives any mark the cells hold.
  int64_t choose_q(int64_t cell, int16_t value4) const {
    const int64_t digit = ((value4 % 10) + 10) % 10;
    const auto [natural, natural_score] = best_of({digit, digit + 10}, cell);
    if (natural_score > 0) return natural;
    std::vector<int64_t> others;
    for (int64_t step = 1; step <= 4; ++step) {
      // A cell without a mark may never have been written at all.
      if (!held_.inside(cell - 2 * step) || held_.at(cell - 2 * step).approach_mark == 0) continue;
      const int64_t t = held_.at(cell - 2 * step).approach_mark - step;
      if (((t % 2) + 2) % 2 != 0) continue;
      // 10 q = t (mod 256): q = t / 2 x 5^-1 (mod 128), 77 being 5^-1.
      const int64_t residue = ((((t / 2) * 77) % 128) + 128) % 128;
      if (std::optional<int64_t> q = near_q(residue, value4)) others.push_back(*q);
    }
    const auto [other, other_score] = best_of(others, cell);
    return other_score > 0 ? other : digit;
  }

  signal_entry entry(int64_t cell, const track_segment& s, int64_t q, bool hidden) const {
    signal_entry e;
    const int64_t sx = s.signal_time != 0 ? 2 : floor_div(q, 3);
    const int64_t st = s.signal_time;
    // 1..100 are stored as 101: a time of 257..356 keeps its low 8 bits.
    const int64_t tempo = st == 0 ? 0 : (st <= 100 ? st + 256 : st);
    const int16_t v1 = hidden ? 0 : s.value1;
    e.values = {
        50 * (cell - 1), sx,      v1 / 10,       s.value2 / 10, s.value3 / 10, (s.value4 - q) / 10,
        q - 3 * sx,      v1 % 10, s.value2 % 10, s.value3 % 10, tempo};
    return e;
  }

 private:
  // The candidate whose marks the cells hold most often, the first of equals.
  std::pair<int64_t, int> best_of(const std::vector<int64_t>& candidates, int64_t cell) const {
    std::pair<int64_t, int> best = {0, -1};
    for (int64_t q : candidates) {
      int score = 0;
      for (const auto& [c, m] : marks(cell, q)) score += held_.at(c).approach_mark == m;
      if (score > best.second) best = {q, score};
    }
    return best;
  }
  static uint8_t mark(int64_t q, int64_t step) {
    return static_cast<uint8_t>(static_cast<uint64_t>(q * 10 + step) & 0xFF);
  }
  static int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && (a < 0)); }
  // q = residue (mod 128) with value4 - q a multiple of 10, nearest to 0.
  static std::optional<int64_t> near_q(int64_t residue, int64_t value4) {
    std::optional<int64_t> best;
    for (int64_t q = residue - 640; q <= residue + 640; q += 128)
      if ((value4 - q) % 10 == 0 && (!best || std::abs(q) < std::abs(*best))) best = q;
    return best;
  }

  const held_scenario& held_;
};

class service_recovery {
 public:
  service_recovery(held_scenario& held, const std::vector<recovered_station>& stations)
      : held_(held), stations_(stations), signals_(held) {}

  service_entries recover(service_findings& findings) {
    service_entries e;
    const general_table_t& t = held_.table;
    e.cars = t[kSlotTrainAndLength].value_c;
    e.braking = t[kSlotTrainAndLength].value_a;
    e.sand = t[kSlotSignallingAndTrain].number_a;
    e.clock_hours = t[kSlotSignallingAndTrain].number_c;
    e.clock_minutes = t[kSlotSignallingAndTrain].number_d;
    e.clock_seconds = t[kSlotSignallingAndTrain].number_e;
    e.speeds = recover_profile(column(held_, &track_segment::speed_limit), speed_of);
    e.adhesion = recover_profile(column(held_, &track_segment::adhesion), adhesion_of);

    for (const recovered_station& s : stations_) add_station(s);
    add_slowdowns();
    for (int64_t c = 0; c <= held_.last; ++c)
      if (held_.at(c).kind == kSignal) add_signal(c, held_.at(c), false);
    for (int64_t c : abbattimento_cells(held_)) add_abbattimento(c);
    explain_stop_cells(findings);
    findings.stations = static_cast<int>(stations_.size());
    e.entries = order_entries(std::move(items_), held_);
    return e;
  }

 private:
  void add_station(const recovered_station& s) {
    ordered_item item{s.entry, s.approach, {}, s.slot, s.slot};
    if (s.stop >= 0) item.cells.push_back(s.stop);
    items_.push_back(std::move(item));
  }

  void add_signal(int64_t cell, const track_segment& s, bool hidden) {
    const int64_t q = signals_.choose_q(cell, s.value4);
    items_.push_back({signals_.entry(cell, s, q, hidden),
                      signals_.marks(cell, q),
                      {cell},
                      2 * kUsualStride + cell,
                      0});
  }

  void add_abbattimento(int64_t cell) {
    const track_segment& s = held_.at(cell);
    int64_t value = 0;
    // A positive value is kept to 16 bits: 65536 more gives 0 or a negative.
    if (s.kind == kCodePoint) value = s.value1 > 0 ? s.value1 : s.value1 + 65536;
    items_.push_back(
        {abbattimento_entry{50 * cell, value}, {}, {cell}, 3 * kUsualStride + cell, 0});
  }

  // The four lead-in cells counting down from `top`, values 1 to 4; a cell
  // a stop mark covers since cannot tell.
  bool lead_in_at(int64_t top) const {
    bool seen = false;
    for (int64_t j = 0; j < 4; ++j) {
      if (!held_.inside(top - j)) return false;
      const track_segment& s = held_.at(top - j);
      if (s.kind == kStopMark) continue;
      if (s.kind != kSlowdownLeadIn || s.value1 != j + 1) return false;
      seen = true;
    }
    return seen;
  }

  bool is_end_of(int64_t c, const track_segment& start) const {
    const track_segment& s = held_.at(c);
    return s.kind == kSlowdownEnd && s.value1 == start.value1 && s.value2 == start.value2 &&
           s.value3 == start.value3;
  }

  // Each start with the nearest end of the same values after it, else
  // before it (a negative length), else on its own cell (the start's mark
  // wins there).  Two slowdowns of the same values leave the same cells
  // whichever end goes with which start.
  void add_slowdowns() {
    std::vector<bool> end_taken(held_.cells.size(), false);
    std::vector<int64_t> starts;
    for (int64_t s = 0; s <= held_.last; ++s)
      if (held_.at(s).kind == kSlowdownStart) starts.push_back(s);
    std::vector<int64_t> ends(starts.size(), -1);
    for (int direction : {1, -1}) {
      for (size_t i = 0; i < starts.size(); ++i) {
        if (ends[i] >= 0) continue;
        const track_segment& start = held_.at(starts[i]);
        for (int64_t c = starts[i] + direction; held_.inside(c); c += direction) {
          if (!end_taken[static_cast<size_t>(c)] && is_end_of(c, start)) {
            ends[i] = c;
            end_taken[static_cast<size_t>(c)] = true;
            break;
          }
        }
      }
    }
    for (size_t i = 0; i < starts.size(); ++i)
      add_slowdown(starts[i], ends[i] >= 0 ? ends[i] : starts[i], held_.at(starts[i]));
  }

  // The start position gives the start cell; where it falls within the
  // cell's 50 m decides whether a warning stands 24 cells before and whether
  // the lead-in cells touch it or leave one cell free.
  void add_slowdown(int64_t s, int64_t e, const track_segment& start) {
    const int64_t w = s - kWarningCells;
    const bool warned =
        s > 31 || (s == 31 && held_.inside(w) && held_.at(w).kind == kSlowdownWarning &&
                   held_.at(w).value1 == start.value1);
    slowdown_entry r{50 * (s - 1), start.value1, 0, start.value3, 0, start.value2};
    std::vector<int64_t> cells = {s, e};
    if (warned) {
      if (s == 31) r.x = kWarningReach + 1;
      cells.push_back(w);
      int64_t top = -1;
      if (lead_in_at(w - 1)) {
        top = w - 1;
      } else if (s % 2 == 0 && lead_in_at(w - 2)) {
        top = w - 2;
        r.x -= 25;
      }
      if (top >= 0) {
        r.f_ta = 1;
        for (int64_t j = 0; j < 4; ++j) cells.push_back(top - j);
      }
    }
    r.l = 50 * (e - 1) - r.x;
    items_.push_back({r, {}, cells, kUsualStride + s, 0});
  }

  // A stop mark covers whatever stood on its cell: the values a signal or a
  // speed board left beside the stop mark tell which, and so do approach
  // marks no entry explains (a signal's).  A cell that tells nothing may
  // take a sign board whose cell no longer shows.
  void explain_stop_cells(service_findings& findings) {
    std::vector<bool> used(held_.cells.size(), false);
    for (const ordered_item& item : items_)
      if (item.station == 0)
        for (int64_t c : item.cells)
          if (held_.inside(c)) used[static_cast<size_t>(c)] = true;
    // Cells whose held mark an entry writes.
    std::vector<bool> explained(held_.cells.size(), false);
    for (const ordered_item& item : items_)
      for (const auto& [c, m] : item.marks)
        if (held_.at(c).approach_mark == m) explained[static_cast<size_t>(c)] = true;
    // A point object's position must pass the range test; a signal needs
    // its four approach cells.
    const int64_t last_object = held_.last - 1;
    for (const recovered_station& station : stations_) {
      const int64_t c = station.stop;
      if (c < 2 || c > last_object || used[static_cast<size_t>(c)]) continue;
      used[static_cast<size_t>(c)] = true;
      const track_segment& s = held_.at(c);
      if (c >= 8 && (s.signal_time != 0 || explains_marks(c, s, explained))) {
        add_signal(c, s, true);
        for (const auto& [m, mark] : items_.back().marks)
          if (held_.at(m).approach_mark == mark) explained[static_cast<size_t>(m)] = true;
      } else if (s.value2 != 0 || s.value3 != 0 || s.value4 != 0) {
        findings.hidden_boards.push_back(speed_board_at(c, s));
      } else {
        findings.free_stop_cells.push_back(c);
      }
    }
  }

  // Whether a signal on the stop mark's cell writes a mark no entry explains.
  bool explains_marks(int64_t c, const track_segment& s, const std::vector<bool>& explained) const {
    for (const auto& [m, mark] : signals_.marks(c, signals_.choose_q(c, s.value4)))
      if (!explained[static_cast<size_t>(m)] && mark != 0 && held_.at(m).approach_mark == mark)
        return true;
    return false;
  }

  held_scenario& held_;
  const std::vector<recovered_station>& stations_;
  signal_recovery signals_;
  std::vector<ordered_item> items_;
};

}  // namespace

std::vector<recovered_station> recover_stations(held_scenario& held) {
  std::vector<recovered_station> stations;
  for (int slot = 1; slot < kFirstSignBoardSlot && is_station_slot(held.table[slot]); ++slot) {
    const general_entry& g = held.table[static_cast<size_t>(slot)];
    recovered_station s{station_from(g), slot, -1, {}};
    if (!text_field(g.text))
      held.notes.push_back("station slot " + std::to_string(slot) +
                           ": no text field can hold a name that needs quotes and holds a quote");
    const int64_t end = g.value_b;
    if (g.kind <= kLastMarkedStationType && g.kind != 5 && g.kind != 6) {
      for (int64_t k = 1; k <= 4; ++k) {
        const int64_t ahead = end - 50 * (k + 1);
        const int64_t cell = segment_index(ahead, 0);
        if (ahead > 50 && held.inside(cell))
          s.approach.push_back({cell, static_cast<uint8_t>(80 + k)});
      }
    }
    if (g.kind <= kLastMarkedStationType && end - 50 > 50) s.stop = segment_index(end, -1);
    stations.push_back(std::move(s));
  }
  return stations;
}

service_entries recover_service(held_scenario& held, const std::vector<recovered_station>& stations,
                                service_findings& findings) {
  return service_recovery(held, stations).recover(findings);
}

}  // namespace scenario::tool::recovery
