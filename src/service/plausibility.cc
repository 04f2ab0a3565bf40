#include "service/plausibility.h"

#include <algorithm>
#include <limits>

#include "reading/reading.h"
#include "reading/warning_ids.h"

namespace scenario {
namespace {

constexpr int64_t kFastestLine = 300;

std::string clock_time(int64_t seconds) {
  auto two = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

std::string station_name(const planned_station& s) {
  return quoted(s.name) + " (line " + std::to_string(s.entry.line) + ")";
}

// Times of the stations that have one must increase along the line; the
// last station's time is its arrival, the others' their departure.
void check_timetable(const std::vector<planned_station>& stations, entry_notes& notes) {
  const planned_station* before = nullptr;
  for (size_t i = 0; i < stations.size(); ++i) {
    const planned_station& s = stations[i];
    const bool last = i + 1 == stations.size();
    if (s.stop_time > 0 && s.time == 0 && !last)
      notes.warn(warning_id::kStopWithoutTime, s.stop_at,
                 "station " + station_name(s) + " has a stop of " + std::to_string(s.stop_time) +
                     " s but no departure time (0:00:00): the train sheet shows no time for it");
    if (s.stop_time == 0 && s.time != 0 && !last)
      notes.warn(warning_id::kTimeWithoutStop, s.time_at,
                 "station " + station_name(s) +
                     " is passed without stopping (stop time 0) but "
                     "has the time " +
                     clock_time(s.time) + ": a station passed through has all three time values 0");
    if (s.time == 0) continue;
    if (before != nullptr && s.time <= before->time)
      notes.warn(warning_id::kTimesBackwards, s.time_at,
                 "the time " + clock_time(s.time) + " of station " + station_name(s) +
                     " is not after " + clock_time(before->time) + " of station " +
                     station_name(*before) + ": times must increase along the line");
    before = &s;
  }
}

void check_speeds(const std::vector<planned_speed>& speeds, int64_t route_length,
                  entry_notes& notes) {
  for (const planned_speed& v : speeds) {
    if (v.speed == 0 && v.position < route_length)
      notes.warn(warning_id::kSpeedLimitImplausible, v.value_at,
                 "speed limit 0 km/h from " + std::to_string(v.position) +
                     " m, inside the line: no train can run there");
    else if (v.speed > kFastestLine)
      notes.warn(warning_id::kSpeedLimitImplausible, v.value_at,
                 "speed limit " + std::to_string(v.speed) + " km/h from " +
                     std::to_string(v.position) + " m is above the " +
                     std::to_string(kFastestLine) + " km/h of the fastest lines");
  }
}

// The lowest line speed in force anywhere from `from` to before `to`; a
// limit holds from its position to the next one's.  Limits in increasing
// order (as they should be) are searched, so that a long line with many
// limits and slowdowns is checked in little time.
int64_t lowest_limit(const std::vector<planned_speed>& speeds, bool ordered, int64_t from,
                     int64_t to) {
  size_t first = 0;
  if (ordered) {
    auto after = std::upper_bound(speeds.begin(), speeds.end(), from,
                                  [](int64_t x, const planned_speed& v) { return x < v.position; });
    first = after == speeds.begin() ? 0 : static_cast<size_t>(after - speeds.begin()) - 1;
  }
  int64_t lowest = std::numeric_limits<int64_t>::max();
  const int64_t reach = std::max(to, from + 1);
  for (size_t i = first; i < speeds.size(); ++i) {
    const int64_t start = speeds[i].position;
    if (ordered && start >= reach) break;
    const int64_t end =
        i + 1 < speeds.size() ? speeds[i + 1].position : std::numeric_limits<int64_t>::max();
    if (start < reach && end > from) lowest = std::min(lowest, speeds[i].speed);
  }
  return lowest;
}

void check_slowdowns(const service_plan& plan, int64_t route_length, entry_notes& notes) {
  const bool ordered = std::is_sorted(
      plan.speeds.begin(), plan.speeds.end(),
      [](const planned_speed& a, const planned_speed& b) { return a.position < b.position; });
  for (const planned_slowdown& r : plan.slowdowns) {
    const int64_t limit = lowest_limit(plan.speeds, ordered, r.x, r.x + r.l);
    const std::string what = "\"rallentamento\" at " + std::to_string(r.x) + " m";
    if (limit != std::numeric_limits<int64_t>::max() && r.speed > limit)
      notes.warn(warning_id::kSlowdownAboveLimit, r.speed_at,
                 what + " allows " + std::to_string(r.speed) + " km/h, above the line's limit of " +
                     std::to_string(limit) + " km/h over it: it slows no train down");
    if (r.l > 0 && r.x < route_length && r.x + r.l > route_length)
      notes.warn(warning_id::kSlowdownPastEnd, r.length_at,
                 what + " over " + std::to_string(r.l) + " m ends at " + std::to_string(r.x + r.l) +
                     " m, past the end of the line (" + std::to_string(route_length) +
                     " m), which leaves it " + std::to_string(route_length - r.x) + " m");
  }
}

void check_signals(const service_plan& plan, entry_notes& notes) {
  for (const planned_signal& g : plan.signals)
    for (const planned_station& s : plan.stations)
      if (g.position > s.extent_start && g.position < s.extent_end) {
        notes.warn(warning_id::kSignalInStation, g.entry,
                   "\"segnale\" at " + std::to_string(g.position) + " m stands inside station " +
                       station_name(s) + ", which reaches from " + std::to_string(s.extent_start) +
                       " to " + std::to_string(s.extent_end) +
                       " m: signals stand before or after a station's platforms");
        break;
      }
}

}  // namespace

void check_plausibility(const service_plan& plan, int64_t route_length, entry_notes& notes) {
  check_timetable(plan.stations, notes);
  check_speeds(plan.speeds, route_length, notes);
  check_slowdowns(plan, route_length, notes);
  check_signals(plan, notes);
}

}  // namespace scenario
