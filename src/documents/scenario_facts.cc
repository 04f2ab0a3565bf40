#include "documents/scenario_facts.h"

#include <algorithm>
#include <set>

#include "model/fields.h"
#include "model/positions.h"

namespace scenario {
namespace {

std::vector<station_fact> stations_of(const scenario_records& r) {
  std::set<int> board_slots;
  for (const track_segment& c : r.segments)
    if (c.kind == kSignBoard) board_slots.insert(c.value1);
  std::vector<station_fact> stations;
  for (int slot = 1; slot < kFirstSignBoardSlot; ++slot) {
    const general_entry& e = r.general_table[static_cast<size_t>(slot)];
    if (board_slots.count(slot) != 0 || e == general_entry{}) break;
    using namespace station_slot;
    stations.push_back({name.of(e), position.of(e), extent_start.of(e), extent_end.of(e),
                        time_of_day.of(e), stop_time.of(e)});
  }
  return stations;
}

// The cells that stand for the line itself, not the run-out after its end.
size_t line_cells(const scenario_records& r, int64_t route_length) {
  const int64_t cells = route_length / kSegmentMetres + (route_length % kSegmentMetres != 0);
  return static_cast<size_t>(
      std::clamp<int64_t>(cells, 0, static_cast<int64_t>(r.segments.size())));
}

std::vector<slowdown_fact> slowdowns_of(const std::vector<track_segment>& cells) {
  std::vector<slowdown_fact> slowdowns;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].kind != kSlowdownStart) continue;
    size_t end = i;
    for (size_t j = i + 1; j < cells.size() && cells[j].kind != kSlowdownStart; ++j) {
      if (cells[j].kind == kSlowdownEnd) {
        end = j;
        break;
      }
    }
    const int64_t start = *author_position(kSlowdownStart, static_cast<int64_t>(i));
    slowdowns.push_back(
        {start, end == i ? start : *author_position(kSlowdownEnd, static_cast<int64_t>(end)),
         cells[i].value1});
  }
  return slowdowns;
}

void add_line_profile(const scenario_records& r, size_t cells, scenario_facts& f) {
  bool in_tunnel = false;
  for (size_t i = 0; i < cells; ++i) {
    const track_segment& c = r.segments[i];
    const int32_t speed = c.speed_limit * 5;
    if (f.speed_steps.empty() || f.speed_steps.back().speed != speed)
      f.speed_steps.push_back({segment_span(static_cast<int64_t>(i)).from, speed});
    f.top_speed = std::max(f.top_speed, speed);
    const int32_t gradient = int32_t{c.gradient} - 100;
    f.top_gradient = i == 0 ? gradient : std::max(f.top_gradient, gradient);
    if (c.kind == kSignal) ++f.signals;
    if (c.tunnel_type != 0) {
      f.tunnels += in_tunnel ? 0 : 1;
      f.tunnel_metres += kSegmentMetres;
    }
    in_tunnel = c.tunnel_type != 0;
  }
}

}  // namespace

scenario_facts facts_of(const scenario_records& r) {
  scenario_facts f;
  f.stations = stations_of(r);
  f.route_length = train_and_length_slot::route_length.in(r.general_table);
  f.braking_mass = train_and_length_slot::braking_mass.in(r.general_table);
  const size_t cells = line_cells(r, f.route_length);
  add_line_profile(r, cells, f);
  f.slowdowns = slowdowns_of(r.segments);
  return f;
}

}  // namespace scenario
