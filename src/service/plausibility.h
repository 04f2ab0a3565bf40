// Checks of a train service that reads and compiles without fault but that
// no real run would have: times that run backwards, a stop without a time,
// a line speed of 0, a slowdown faster than the line, a signal standing in a
// station.  They only tell; the records are not touched.
#ifndef SCENARIO_SERVICE_PLAUSIBILITY_H_
#define SCENARIO_SERVICE_PLAUSIBILITY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "reading/entry_notes.h"
#include "reading/field_reader.h"

namespace scenario {

// What the checks need of each entry, with where the author wrote it.
struct planned_station {
  text_position entry, stop_at, time_at;
  int32_t position = 0;
  int64_t extent_start = 0, extent_end = 0;
  int64_t stop_time = 0;
  int64_t time = 0;  // seconds after midnight; 0: none given
  std::string name;
};

struct planned_speed {
  text_position value_at;
  int64_t position = 0, speed = 0;
};

struct planned_slowdown {
  text_position entry, speed_at, length_at;
  int64_t x = 0, l = 0, speed = 0;
};

struct planned_signal {
  text_position entry;
  int64_t position = 0;
};

struct service_plan {
  std::vector<planned_station> stations;
  std::vector<planned_speed> speeds;
  std::vector<planned_slowdown> slowdowns;
  std::vector<planned_signal> signals;
};

// Warns of each implausible entry of `plan`, on a line of `route_length` m.
void check_plausibility(const service_plan& plan, int64_t route_length, entry_notes& notes);

}  // namespace scenario

#endif  // SCENARIO_SERVICE_PLAUSIBILITY_H_
