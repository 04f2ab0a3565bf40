// Recorders of the line description's tunnels ("montagna") and speed-limit
// boards ("indicatori_vmax").
#ifndef SCENARIO_LINE_TUNNELS_AND_BOARDS_H_
#define SCENARIO_LINE_TUNNELS_AND_BOARDS_H_

#include <array>
#include <cstdint>

#include "model/records.h"

namespace scenario {

inline constexpr int32_t kMaxTunnels = 80;

// The tunnels of the text so far, numbered from 1; a tunnel starting close
// behind the previous one is joined to it.
struct tunnel_lists {
  std::array<int32_t, kMaxTunnels + 1> starts{};
  std::array<int32_t, kMaxTunnels + 1> ends{};
  int32_t count = 0;
};

// Records a tunnel from `inizio` to `fine` (m) and writes its stored type
// back into `tipo`.  An 81st tunnel sets failure 31 and records nothing.
void memo_montagna(scenario_records& records, tunnel_lists& tunnels, int32_t inizio, int32_t fine,
                   int32_t& tipo);

// Records a speed-limit board at `posizione`: left-side speeds A, B, C and
// stripes, then right-side ones.  A taken cell sets failure 21.
void memo_indicatori_v_max(scenario_records& records, int32_t posizione, int32_t vas, int32_t vbs,
                           int32_t vcs, int64_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int64_t strisced);

}  // namespace scenario

#endif  // SCENARIO_LINE_TUNNELS_AND_BOARDS_H_
