// Every conversion of a fraction to an integer in a scenario rounds to the
// nearest integer, an exact half to the even neighbour (20.5 gives 20, 21.5
// gives 22).  Positions are whole metres, so the quotients are computed
// exactly on integers instead of through floating point.
#ifndef SCENARIO_MODEL_ROUNDING_H_
#define SCENARIO_MODEL_ROUNDING_H_

#include <cstdint>

namespace scenario {

// numerator / denominator rounded half to even; denominator > 0.
constexpr int64_t round_div(int64_t numerator, int64_t denominator) {
  int64_t q = numerator / denominator;
  int64_t r = numerator % denominator;
  if (r < 0) {  // floor division
    q -= 1;
    r += denominator;
  }
  const int64_t twice = 2 * r;
  if (twice > denominator || (twice == denominator && (q % 2 != 0))) q += 1;
  return q;
}

// A segment stands for 50 m of line.
inline constexpr int64_t kSegmentMetres = 50;

// The segment of a position: position / 50 + offset as one real number,
// rounded half to even.  The offset belongs inside the rounding: a signal
// (offset 1) at 5 175 m gives 104.5, segment 104, where rounding 103.5 first
// and adding one would give 105.  Every entry maps its positions through
// here, with its own offset: 1 for signals, slowdown marks and boards, 0 for
// profiles, gradients and tunnel starts, -1 for a tunnel's last segment,
// -(k + 1) for a station's marks counted back from its end.
constexpr int64_t segment_index(int64_t metres, int64_t offset) {
  return round_div(metres + kSegmentMetres * offset, kSegmentMetres);
}

// Signals, slowdown marks, speed boards and sign boards stand one segment
// after their position.
inline constexpr int64_t kMarkOffset = 1;

// The position, a multiple of 50 m, that an entry with this offset writes to
// land on segment `index`; the centre of the positions that land there.
constexpr int64_t segment_position(int64_t index, int64_t offset) {
  return (index - offset) * kSegmentMetres;
}

static_assert(round_div(1025, 50) == 20 && round_div(1075, 50) == 22);
static_assert(round_div(-25, 50) == 0 && round_div(-75, 50) == -2 && round_div(-76, 50) == -2);
static_assert(round_div(61000, 50) == 1220 && round_div(12, 5) == 2);
static_assert(segment_index(5175, 1) == 104 && segment_index(5225, 1) == 106);
static_assert(segment_index(8425, -1) == 168 && segment_position(30, 1) == 1450);

}  // namespace scenario

#endif  // SCENARIO_MODEL_ROUNDING_H_
