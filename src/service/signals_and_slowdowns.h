// Recorders of the train service description's signals ("segnale", signal)
// and slowdowns ("rallentamento", slowdown).
#ifndef SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_
#define SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_

#include <array>
#include <cstdint>
#include <optional>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// The eleven values of a "segnale" entry, under the names the simulator and
// the authors' guide give them.  Apart from the position they are small
// codes combined into the signal's cell: "s" stands for sinistra (left), "d"
// for destra (right).
struct signal_values {
  int32_t position = 0;  // posizione: the signal's position (m)
  int32_t sx = 0;        // left code; 2 stores `tempo` with the signal
  int32_t s1 = 0;        // left codes 1 to 3, stored as s_n x 10 + d_n
  int32_t s2 = 0;
  int32_t s3 = 0;
  int32_t rapp = 0;  // rapporto (ratio), stored as rapp x 10 + sx x 3 + dx
  int32_t dx = 0;    // right code
  int32_t d1 = 0;    // right codes 1 to 3
  int32_t d2 = 0;
  int32_t d3 = 0;
  int32_t tempo = 0;  // time, kept only when sx is 2
};

// The values in the order of the text line.
inline constexpr std::array<int32_t signal_values::*, 11> kSignalFields = {
    &signal_values::position, &signal_values::sx,   &signal_values::s1,    &signal_values::s2,
    &signal_values::s3,       &signal_values::rapp, &signal_values::dx,    &signal_values::d1,
    &signal_values::d2,       &signal_values::d3,   &signal_values::tempo,
};

// The six values of a "rallentamento" entry, under the simulator's names.
struct slowdown_values {
  int32_t x = 0;     // where the slowdown starts (m)
  int32_t v = 0;     // its speed limit (km/h)
  int32_t l = 0;     // its length (m)
  int32_t f_tt = 0;  // a value stored at its start and end
  int32_t f_ta = 0;  // non-zero: the four cells before its warning point are marked too
  int32_t d_v = 0;   // a second value stored with it when non-zero
};

// The values in the order of the text line.
inline constexpr std::array<int32_t slowdown_values::*, 6> kSlowdownFields = {
    &slowdown_values::x,    &slowdown_values::v,    &slowdown_values::l,
    &slowdown_values::f_tt, &slowdown_values::f_ta, &slowdown_values::d_v,
};

// The segment a signal at `position` stands on.
int64_t signal_segment(int32_t position);

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

// memo_segnale ("record signal"): records a signal with its aspects and its
// four approach marks.  A taken cell sets failure 16, writes nothing and is
// returned.  A `tempo` of 1 to 100 is raised to 101 in `signal`.
std::optional<taken_cell> memo_segnale(scenario_records& records, signal_values& signal);

// memo_rallentamento ("record slowdown"): records a slowdown's warning point,
// start, end and, with `f_ta`, four lead-in cells.  A taken cell sets failure
// 17 (warning), 18 (start), 19 (end) or 20 (lead-in) and is returned; the
// marks written before a lead-in cell is found taken stay.
std::optional<taken_cell> memo_rallentamento(scenario_records& records,
                                             const slowdown_values& slowdown);

}  // namespace scenario

#endif  // SCENARIO_SERVICE_SIGNALS_AND_SLOWDOWNS_H_
