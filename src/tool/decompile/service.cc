// The train service description behind the general table's train slots and
// stations and the segment array's service fields: profiles, stop and
// approach marks, slowdowns, signals and abbattimento marks.
#include <algorithm>
#include <optional>
#include <unordered_map>

#include "model/fields.h"
#include "model/rounding.h"
#include "tool/decompile/recovery.h"
#include "tool/decompile/signals.h"

namespace scenario::tool::recovery {
namespace {

constexpr int64_t kLastMarkedStationType = 24;
constexpr int64_t kWarningReach = 1500;  // slowdowns starting up to here have no warning
constexpr int64_t kWarningCells = 24;    // from a slowdown's warning cell to its start cell

// Places in the usual order of the entries: stations, slowdowns, signals,
// abbattimento marks, each by slot or cell.
constexpr int64_t kUsualStride = int64_t{1} << 40;

// A slot with any number set; a sign board's text slot has none.
bool is_station_slot(const general_entry& g) {
  bool any = false;
  for_each_field(kEntryFields, [&](const auto& f) {
    if constexpr (!std::is_same_v<typename std::remove_cvref_t<decltype(f)>::type, std::string>)
      any = any || g.*f.member != 0;
  });
  return any;
}

// The platform length the extent was computed from, and option_d as written:
// non-zero when the extent ends 50 m further (the first station's is stored
// as 0 all the same).
station_entry station_from(const general_entry& g) {
  using namespace station_slot;
  station_entry s;
  const int64_t p = s.position = position.of(g);
  s.type = type.of(g);
  const int64_t start = extent_start.of(g);
  int64_t option_d = g.option_d;
  if (s.type >= 5 && s.type <= 8) {
    s.length = p - start;
  } else {
    s.length = 2 * (p - start);
    if (extent_end.of(g) - (p + s.length / 2) == 50 && option_d == 0) option_d = 1;
  }
  size_t k = 0;
  for_each_field(entry_numbers, [&](const auto& f) { s.options[k++] = f.of(g); });
  s.options[2] = option_d;  // option_d, number 6 of the entry
  s.hours = time_of_day.of(g) / 3600;
  s.minutes = time_of_day.of(g) % 3600 / 60;
  s.seconds = time_of_day.of(g) % 60;
  s.name = name.of(g);
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

class service_recovery {
 public:
  service_recovery(held_scenario& held, const std::vector<recovered_station>& stations)
      : held_(held),
        stations_(stations),
        signals_(held),
        lead_in_taken_(held.cells.size(), false) {}

  service_entries recover(service_findings& findings) {
    service_entries e;
    const general_table_t& t = held_.table;
    e.cars = train_and_length_slot::cars.in(t);
    e.braking = train_and_length_slot::braking_mass.in(t);
    e.sand = signalling_and_train_slot::sand.in(t);
    e.clock_hours = signalling_and_train_slot::clock_hours.in(t);
    e.clock_minutes = signalling_and_train_slot::clock_minutes.in(t);
    e.clock_seconds = signalling_and_train_slot::clock_seconds.in(t);
    e.speeds = recover_profile(column(held_, &track_segment::speed_limit), speed_of);
    e.adhesion = recover_profile(column(held_, &track_segment::adhesion), adhesion_of);

    for (const recovered_station& s : stations_) add_station(s);
    add_slowdowns();
    add_signals();
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

  void add_signals() {
    std::vector<int64_t> cells;
    for (int64_t c = 0; c <= held_.last; ++c)
      if (held_.at(c).kind == kSignal) cells.push_back(c);
    const std::vector<int64_t> q = signals_.choose(cells, stations_);
    for (size_t i = 0; i < cells.size(); ++i) add_signal(cells[i], held_.at(cells[i]), false, q[i]);
  }

  void add_signal(int64_t cell, const track_segment& s, bool hidden, int64_t q) {
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
    items_.push_back({abbattimento_entry{segment_position(cell, 0), value},
                      {},
                      {cell},
                      3 * kUsualStride + cell,
                      0});
  }

  // The four lead-in cells counting down from `top`, values 1 to 4; a cell
  // a stop mark covers since cannot tell.
  bool lead_in_at(int64_t top, const track_segment& start) const {
    bool seen = false;
    for (int64_t j = 0; j < 4; ++j) {
      if (!held_.inside(top - j) || lead_in_taken_[static_cast<size_t>(top - j)]) return false;
      const track_segment& s = held_.at(top - j);
      if (s.kind == kStopMark) continue;
      // With d_v the lead-in cells carry their number twice.
      const int64_t second = start.value2 != 0 ? j + 1 : 0;
      if (s.kind != kSlowdownLeadIn || s.value1 != j + 1 || s.value2 != second) return false;
      seen = true;
    }
    return seen;
  }

  bool is_end_of(int64_t c, const track_segment& start) const {
    const track_segment& s = held_.at(c);
    return s.kind == kSlowdownEnd && s.value1 == start.value1 && s.value2 == start.value2 &&
           s.value3 == start.value3;
  }

  // A slowdown's start cell and the values written there: speed, d_v, f_tt.
  struct slowdown_start {
    int64_t cell;
    track_segment values;
    int64_t end = -1;
  };

  // Each start with the nearest end of the same values after it, else
  // before it (a negative length); two slowdowns of the same values leave
  // the same cells whichever end goes with which start.  A start a stop mark
  // covers still shows by its warning, or by an end no start claims.
  void add_slowdowns() {
    std::vector<slowdown_start> starts;
    for (int64_t c = 0; c <= held_.last; ++c)
      if (held_.at(c).kind == kSlowdownStart) starts.push_back({c, held_.at(c)});
    starts_under_stop_marks_by_warning(starts);
    // A warning never writes value3: one that holds the start's f_tt stands
    // on its own slowdown's end, written just before it.
    for (slowdown_start& s : starts)
      if (s.values.value3 != 0 && own_warning(s) &&
          held_.at(s.cell - kWarningCells).value3 == s.values.value3)
        s.end = s.cell - kWarningCells;
    std::vector<bool> end_taken(held_.cells.size(), false);
    for (int direction : {1, -1})
      for (slowdown_start& s : starts)
        if (s.end < 0) s.end = nearest_end(s, direction, end_taken);
    starts_under_stop_marks_by_end(starts, end_taken);
    for (const slowdown_start& s : starts)
      add_slowdown(s.cell, s.end >= 0 ? s.end : hidden_end(s), s.values);
  }

  bool own_warning(const slowdown_start& s) const {
    const int64_t w = s.cell - kWarningCells;
    return s.cell >= 31 && held_.inside(w) && held_.at(w).kind == kSlowdownWarning &&
           held_.at(w).value1 == s.values.value1;
  }

  int64_t nearest_end(const slowdown_start& s, int direction, std::vector<bool>& end_taken) const {
    for (int64_t c = s.cell + direction; held_.inside(c); c += direction) {
      if (!end_taken[static_cast<size_t>(c)] && is_end_of(c, s.values)) {
        end_taken[static_cast<size_t>(c)] = true;
        return c;
      }
    }
    return -1;
  }

  // Stop-mark cells where a start without warning may lie (up to cell 31),
  // nearest to `e` first.
  std::vector<int64_t> stop_cells_near(int64_t e) const {
    std::vector<int64_t> cells;
    for (int64_t c = 2; c <= std::min<int64_t>(31, held_.last); ++c)
      if (held_.at(c).kind == kStopMark) cells.push_back(c);
    std::stable_sort(cells.begin(), cells.end(),
                     [e](int64_t a, int64_t b) { return std::abs(a - e) < std::abs(b - e); });
    return cells;
  }

  // A warning 24 cells before a stop mark: the start lies under the mark,
  // which kept the start's d_v and f_tt beside it.
  void starts_under_stop_marks_by_warning(std::vector<slowdown_start>& starts) const {
    for (int64_t w = 0; w + kWarningCells <= held_.last; ++w) {
      const track_segment& warning = held_.at(w);
      const track_segment& covered = held_.at(w + kWarningCells);
      if (warning.kind != kSlowdownWarning || covered.kind != kStopMark ||
          covered.value2 != warning.value2)
        continue;
      track_segment values = covered;
      values.value1 = warning.value1;
      starts.push_back({w + kWarningCells, values});
    }
  }

  // An end no start claims, and a stop mark before it with the end's d_v
  // and f_tt beside it: the start of a slowdown without warning lies there.
  void starts_under_stop_marks_by_end(std::vector<slowdown_start>& starts,
                                      std::vector<bool>& end_taken) const {
    for (int64_t e = 0; e <= held_.last; ++e) {
      const track_segment& end = held_.at(e);
      if (end.kind != kSlowdownEnd || end_taken[static_cast<size_t>(e)]) continue;
      for (int64_t c : stop_cells_near(e)) {
        const track_segment& covered = held_.at(c);
        if (covered.value2 != end.value2 || covered.value3 != end.value3) continue;
        starts.push_back({c, end, e});
        end_taken[static_cast<size_t>(e)] = true;
        break;
      }
    }
  }

  // An end no cell shows, nor the slowdown's own warning, lies under a
  // station's stop mark, which kept the end's f_tt and d_v beside it.
  // Without those it might as well have shared the start's cell.
  int64_t hidden_end(const slowdown_start& found) const {
    const int64_t s = found.cell;
    const track_segment& start = found.values;
    if (start.value2 == 0 && start.value3 == 0) return s;
    for (int direction : {1, -1}) {
      for (int64_t c = s + direction; held_.inside(c); c += direction) {
        const track_segment& h = held_.at(c);
        if (h.kind == kStopMark && h.value2 == start.value2 && h.value3 == start.value3) return c;
      }
    }
    return s;
  }

  // The start position gives the start cell; where it falls within the
  // cell's 50 m decides whether a warning stands 24 cells before and whether
  // the lead-in cells touch it or leave one cell free.
  void add_slowdown(int64_t s, int64_t e, const track_segment& start) {
    const int64_t w = s - kWarningCells;
    const bool warned =
        s > 31 || (s == 31 && held_.inside(w) && held_.at(w).kind == kSlowdownWarning &&
                   held_.at(w).value1 == start.value1);
    slowdown_entry r;
    r.x = static_cast<int32_t>(segment_position(s, kMarkOffset));
    r.v = start.value1;
    r.f_tt = start.value3;
    r.d_v = start.value2;
    std::vector<int64_t> cells = {s, e};
    if (warned) {
      if (s == 31) r.x = kWarningReach + 1;
      cells.push_back(w);
      int64_t top = -1;
      if (lead_in_at(w - 1, start)) {
        top = w - 1;
      } else if (s % 2 == 0 && lead_in_at(w - 2, start)) {
        top = w - 2;
        r.x -= 25;
      }
      if (top >= 0) {
        r.f_ta = 1;
        for (int64_t j = 0; j < 4; ++j) {
          cells.push_back(top - j);
          lead_in_taken_[static_cast<size_t>(top - j)] = true;
        }
      }
    }
    r.l = static_cast<int32_t>(segment_position(e, kMarkOffset) - r.x);
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
    // A point object's position must pass the range test; a signal needs
    // its four approach cells.
    const int64_t last_object = held_.last - 1;
    for (const recovered_station& station : stations_) {
      const int64_t c = station.stop;
      if (c < 2 || c > last_object || used[static_cast<size_t>(c)]) continue;
      used[static_cast<size_t>(c)] = true;
      const track_segment& s = held_.at(c);
      int explains = 0;
      const int64_t q = signals_.choose_covered(c, s.value4, explains);
      if (c >= 8 && (s.signal_time != 0 || explains > 0)) {
        signals_.place(c, q);
        add_signal(c, s, true, q);
      } else if (s.value2 != 0 || s.value3 != 0 || s.value4 != 0) {
        findings.hidden_boards.push_back(speed_board_at(c, s));
      } else {
        findings.free_stop_cells.push_back(c);
      }
    }
  }

  held_scenario& held_;
  const std::vector<recovered_station>& stations_;
  signal_choice signals_;
  std::vector<ordered_item> items_;
  // Lead-in cells a slowdown already claims: a second slowdown whose
  // warning stands just after them did not mark them too.
  std::vector<bool> lead_in_taken_;
};

}  // namespace

std::vector<recovered_station> recover_stations(held_scenario& held) {
  std::vector<recovered_station> stations;
  for (int slot = 1; slot < kFirstSignBoardSlot && is_station_slot(held.table[slot]); ++slot) {
    const general_entry& g = held.table[static_cast<size_t>(slot)];
    recovered_station s{station_from(g), slot, -1, {}};
    if (!text_field(station_slot::name.of(g)))
      held.notes.push_back("station slot " + std::to_string(slot) +
                           ": no text field can hold a name that needs quotes and holds a quote");
    const int64_t end = station_slot::extent_end.of(g);
    const int64_t type = station_slot::type.of(g);
    if (type <= kLastMarkedStationType && type != 5 && type != 6) {
      for (int64_t k = 1; k <= 4; ++k) {
        const int64_t ahead = end - kSegmentMetres * (k + 1);
        const int64_t cell = segment_index(ahead, 0);
        if (ahead > kSegmentMetres && held.inside(cell))
          s.approach.push_back({cell, static_cast<uint8_t>(80 + k)});
      }
    }
    if (type <= kLastMarkedStationType && end - 50 > 50) s.stop = segment_index(end, -1);
    stations.push_back(std::move(s));
  }
  return stations;
}

service_entries recover_service(held_scenario& held, const std::vector<recovered_station>& stations,
                                service_findings& findings) {
  return service_recovery(held, stations).recover(findings);
}

}  // namespace scenario::tool::recovery
