// The curves behind a route plan.  Every metre of the plan is the metre
// before it plus the last step, turned by one of thirteen curvatures (none,
// or one of six classes either way); computed exactly as the line reader
// computes it, only one of them gives the bits the file holds.
#include <bit>
#include <cmath>
#include <cstring>

#include "model/rounding.h"
#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {
namespace {

constexpr double kCurvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
// The plan cursor may not pass this metre.
constexpr int64_t kLastPlanMetre = 1'000'000;

// -6..-1 left classes, 0 straight, 1..6 right classes.
double curvature(int turn) {
  if (turn == 0) return 0.0;
  const double k = kCurvature[std::abs(turn) - 1];
  return turn < 0 ? -k : k;
}

bool same_bits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

class plan_steps {
 public:
  explicit plan_steps(const route_plan& plan) : plan_(plan) {}

  // The turn that draws metre m from the two before it, or the nearest one
  // when none gives the held bits (`exact` is then false).
  int turn_at(int32_t m, int previous, bool& exact) const {
    if (gives(m, 0) || (previous != 0 && gives(m, previous))) {
      exact = true;
      return gives(m, 0) ? 0 : previous;
    }
    for (int turn = -6; turn <= 6; ++turn) {
      if (turn != 0 && gives(m, turn)) {
        exact = true;
        return turn;
      }
    }
    exact = false;
    int best = 0;
    double best_error = INFINITY;
    for (int turn = -6; turn <= 6; ++turn) {
      const auto [x, y] = step(m, turn);
      const double error = std::fabs(x - plan_.value(m, 0)) + std::fabs(y - plan_.value(m, 1));
      if (error < best_error) best = turn, best_error = error;
    }
    return best;
  }

 private:
  // The metre as the line reader draws it: the same operations in the same
  // order, so that the bits agree.
  std::pair<double, double> step(int32_t m, int turn) const {
    const double x1 = plan_.value(m - 1, 0), x2 = plan_.value(m - 2, 0);
    const double y1 = plan_.value(m - 1, 1), y2 = plan_.value(m - 2, 1);
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    if (turn == 0) return {x1 + dx, y1 + dy};
    const double k = curvature(turn);
    return {x1 + dx + k * dy, y1 + dy - k * dx};
  }
  bool gives(int32_t m, int turn) const {
    const auto [x, y] = step(m, turn);
    return same_bits(x, plan_.value(m, 0)) && same_bits(y, plan_.value(m, 1));
  }

  const route_plan& plan_;
};

bool drawn(const route_plan& plan, int32_t m) {
  return plan.tag(m, 0) != cell_tag::empty && plan.tag(m, 1) != cell_tag::empty;
}

// One curve entry for the turning metres first..last.  It starts on the
// metre before them, or, when that start lies beyond what the range test
// admits and the metres before turn as well, further back: a curve whose
// start lies behind the plan cursor turns from the cursor on.
curve_entry curve_for(int64_t first, int64_t last, int turn, bool after_curve, int64_t max_start,
                      held_scenario& held) {
  curve_entry c;
  c.left = turn < 0;
  c.curve_class = std::abs(turn);
  c.start = first - 1;
  if (c.start > max_start) {
    if (after_curve)
      c.start = max_start;
    else
      held.notes.push_back("metre " + std::to_string(first) +
                           ": no curve entry may start this close to the end of the line");
  }
  if (last >= kLastPlanMetre)
    held.notes.push_back("metre " + std::to_string(last) +
                         ": no curve may reach metre 1000000 or beyond");
  c.length = last - c.start;
  return c;
}

}  // namespace

std::vector<curve_entry> recover_curves(held_scenario& held) {
  const route_plan& plan = held.files.track_geometry;
  std::vector<curve_entry> curves;
  if (!plan.allocated() || plan.last() < 2) return curves;
  const plan_steps steps(plan);
  const int64_t max_start = kSegmentMetres * held.last - 100;
  int previous = 0;  // the turn of the run being followed
  int64_t run_first = 0;
  bool run_after_curve = false;
  bool noted = false;
  int32_t m = 2;
  for (; m <= plan.last() && drawn(plan, m); ++m) {
    bool exact = true;
    const int turn = steps.turn_at(m, previous, exact);
    if (!exact && !noted) {
      held.notes.push_back("metre " + std::to_string(m) +
                           ": no curve of any class gives the route plan's point");
      noted = true;
    }
    if (turn == previous) continue;
    if (previous != 0)
      curves.push_back(curve_for(run_first, m - 1, previous, run_after_curve, max_start, held));
    run_after_curve = previous != 0;
    previous = turn;
    run_first = m;
  }
  if (previous != 0)
    curves.push_back(curve_for(run_first, m - 1, previous, run_after_curve, max_start, held));
  return curves;
}

}  // namespace scenario::tool::recovery
