// Recorders of the line description's tunnels ("montagna", mountain) and
// speed-limit boards ("indicatori_vmax", maximum speed indicators).
#ifndef SCENARIO_LINE_TUNNELS_AND_BOARDS_H_
#define SCENARIO_LINE_TUNNELS_AND_BOARDS_H_

#include <array>
#include <cstdint>
#include <optional>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

inline constexpr int32_t kMaxTunnels = 80;

// The tunnels of the text so far, numbered from 1; a tunnel starting close
// behind the previous one is joined to it.
struct tunnel_lists {
  std::array<int32_t, kMaxTunnels + 1> starts{};
  std::array<int32_t, kMaxTunnels + 1> ends{};
  int32_t count = 0;
};

// memo_montagna ("record mountain"): records a tunnel from `start` to `end`
// (m) and writes its stored type back into `type`.  An 81st tunnel sets
// failure 31 and records nothing.
void memo_montagna(scenario_records& records, tunnel_lists& tunnels, int32_t start, int32_t end,
                   int32_t& type);

// memo_indicatori_v_max ("record maximum speed boards"): records a
// speed-limit board at `position`, with the values under the simulator's
// names: left-side (sinistra) speeds A, B, C and stripe count (strisce), then
// the right-side (destra) ones.  A taken cell sets failure 21, writes nothing
// and is returned.
std::optional<taken_cell> memo_indicatori_v_max(scenario_records& records, int32_t position,
                                                int32_t vas, int32_t vbs, int32_t vcs,
                                                int64_t strisces, int32_t vad, int32_t vbd,
                                                int32_t vcd, int64_t strisced);

}  // namespace scenario

#endif  // SCENARIO_LINE_TUNNELS_AND_BOARDS_H_
