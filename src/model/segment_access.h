// Checked access to the segment array: every recorder and the readers reach
// a cell through here, so that an entry addressing a cell outside the line,
// or any entry before the route length sized the array, stops the reading
// instead of touching memory that is not there.
#ifndef SCENARIO_MODEL_SEGMENT_ACCESS_H_
#define SCENARIO_MODEL_SEGMENT_ACCESS_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/records.h"

namespace scenario {

// An entry reached a segment cell or a route-plan metre outside the arrays.
struct outside_array {
  int64_t index = 0;  // the cell, or the metre
  bool metre = false;
};

// A run-time failure away from any one field: the segment array or route
// plan used before the route length sized them, a value grown too large for
// its field.  The reader reports it at the field it last read.
struct run_time_failure {
  std::string what;
};

// Cell i of the segment array; outside 0..segment_last it throws.
inline track_segment& segment_at(scenario_records& records, int64_t i) {
  if (!records.segments_allocated())
    throw run_time_failure{"the route length must come before any entry that places something"};
  if (i < 0 || i > records.segment_last) throw outside_array{i, false};
  return records.segments[static_cast<size_t>(i)];
}

}  // namespace scenario

#endif  // SCENARIO_MODEL_SEGMENT_ACCESS_H_
