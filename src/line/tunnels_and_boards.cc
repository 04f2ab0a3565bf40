#include "line/tunnels_and_boards.h"

#include <limits>
#include <string>

#include "model/rounding.h"
#include "reading/reading.h"

namespace scenario {
namespace {

// A tunnel starting this close behind the end of the previous one is joined
// to it as type 3.
constexpr int64_t kJoinDistance = 150;
constexpr int32_t kJoinedType = 3;

int16_t fit16(int64_t v, const char* what) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    throw run_time_failure{std::string("speed board ") + what + " " + std::to_string(v) +
                           " does not fit 16 bits"};
  return static_cast<int16_t>(v);
}

// A side's speed for one indication: the right-side speed in steps of 5 km/h
// plus twenty steps for every km/h of the left side.
int16_t packed_speed(int32_t left, int32_t right) {
  return fit16(round_div(right, 5) + int64_t{left} * 20, "speed");
}

}  // namespace

void memo_montagna(scenario_records& records, tunnel_lists& tunnels, int32_t start, int32_t end,
                   int32_t& type) {
  bool marks = false;
  if (type > 10) {
    type -= 10;
    marks = true;
  }
  if (tunnels.count >= kMaxTunnels) {
    records.failure_code = 31;
    return;
  }
  const int32_t n = ++tunnels.count;
  tunnels.starts[n] = start;
  tunnels.ends[n] = end;
  if (n > 1 && int64_t{tunnels.starts[n]} - tunnels.ends[n - 1] <= kJoinDistance)
    type = kJoinedType;

  const int64_t first = segment_index(start, 0);
  const int64_t last = segment_index(end, -1);
  int64_t count = 0;
  for (int64_t i = first; i <= last; ++i) {
    track_segment& cell = segment_at(records, i);
    ++count;
    cell.tunnel_type = low8(type);
    // Marked tunnels carry a marker every fourth cell (every 200 m).
    if (marks && count % 4 == 0 && cell.kind == kNothing) cell.kind = kTunnelMarker;
  }
}

std::optional<taken_cell> memo_indicatori_v_max(scenario_records& records, int32_t position,
                                                int32_t vas, int32_t vbs, int32_t vcs,
                                                int64_t strisces, int32_t vad, int32_t vbd,
                                                int32_t vcd, int64_t strisced) {
  const int16_t left_stripes = fit16(strisces, "stripe count");
  const int16_t right_stripes = fit16(strisced, "stripe count");
  const int64_t index = segment_index(position, kMarkOffset);
  track_segment& cell = segment_at(records, index);
  if (!is_free(cell)) {
    records.failure_code = 21;
    return taken_cell{21, index};
  }
  cell.kind = kSpeedBoard;
  cell.value1 = packed_speed(vas, vad);
  cell.value2 = packed_speed(vbs, vbd);
  cell.value3 = packed_speed(vcs, vcd);
  cell.value4 = fit16(fit16(int64_t{left_stripes} * 10, "stripe count") + int64_t{right_stripes},
                      "stripe count");
  return std::nullopt;
}

}  // namespace scenario
