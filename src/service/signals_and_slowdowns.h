// Recorders of the train service description's signals ("segnale") and
// slowdowns ("rallentamento").
#ifndef SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_
#define SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_

#include <cstdint>

#include "model/records.h"

namespace scenario {

// The segment a signal at `posizione` stands on.
int64_t signal_segment(int32_t posizione);

// The segments a slowdown from `x` over `l` metres marks.  Only a slowdown
// starting beyond 1 500 m has a warning segment and lead-in cells; the
// lead-in cells are `lead_in`, `lead_in` - 1, - 2 and - 3.
struct slowdown_segments {
  bool warned = false;
  int64_t warning = 0;
  int64_t start = 0;
  int64_t end = 0;
  int64_t lead_in = 0;
};
slowdown_segments slowdown_cells(int32_t x, int32_t l);

// Records a signal at `posizione` with its aspects and its four approach
// marks.  A taken cell sets failure 16 and writes nothing.  A `tempo` of 1 to
// 100 is raised to 101 in the caller's variable.
void memo_segnale(scenario_records& records, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                  int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                  int32_t& tempo);

// Records a slowdown from `x` over `l` metres at `v` km/h: warning point,
// start, end and, with `f_ta`, four lead-in cells.  Conflicts set failure 17
// (warning), 18 (start), 19 (end) or 20 (lead-in).
void memo_rallentamento(scenario_records& records, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                        int32_t f_ta, int32_t d_v);

}  // namespace scenario

#endif  // SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_
