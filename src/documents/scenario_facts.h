// What the driver's documents tell of a compiled scenario, taken from its
// records: the stations with their timetable, the steps of the speed limit,
// the slowdowns, and the counts the notes page sums up.
#ifndef SCENARIO_DOCUMENTS_SCENARIO_FACTS_H_
#define SCENARIO_DOCUMENTS_SCENARIO_FACTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

namespace scenario {

struct station_fact {
  std::string name;  // Windows-1252, as the texts give it
  int32_t position = 0;
  int32_t extent_start = 0;
  int32_t extent_end = 0;
  int32_t time_s = 0;     // departure; arrival at the last; 0 for none
  int32_t stop_time = 0;  // seconds the train stands there
};

// The limit in force from `position` on, in km/h.
struct speed_step {
  int64_t position = 0;
  int32_t speed = 0;
};

// A slowdown from its start mark to its end mark, as the author enters it.
struct slowdown_fact {
  int64_t start = 0;
  int64_t end = 0;
  int32_t speed = 0;
};

struct scenario_facts {
  std::vector<station_fact> stations;  // in running order
  std::vector<speed_step> speed_steps;
  std::vector<slowdown_fact> slowdowns;
  int64_t route_length = 0;
  int32_t braking_mass = 0;  // percent
  int32_t signals = 0;
  int32_t tunnels = 0;
  int64_t tunnel_metres = 0;
  int32_t top_speed = 0;     // km/h, the highest limit on the line
  int32_t top_gradient = 0;  // the steepest gradient on the line
};

// The facts of compiled records.  Stations are the table's slots from 1 up
// to the first empty one (or one a sign board holds).  The speed steps are
// the changes of the cells' limit over the line itself, each at the first
// metre of its cell; the first is the limit at the line's start.
scenario_facts facts_of(const scenario_records& records);

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_SCENARIO_FACTS_H_
