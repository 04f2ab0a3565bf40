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

static_assert(round_div(1025, 50) == 20 && round_div(1075, 50) == 22);
static_assert(round_div(-25, 50) == 0 && round_div(-75, 50) == -2 && round_div(-76, 50) == -2);
static_assert(round_div(61000, 50) == 1220 && round_div(12, 5) == 2);

}  // namespace scenario

#endif  // SCENARIO_MODEL_ROUNDING_H_
