// A scenario diff as the lines an author reads, grouped as the changes are:
// table, segments, profiles, route plan.
#ifndef SCENARIO_TOOL_DIFF_DIFF_TEXT_H_
#define SCENARIO_TOOL_DIFF_DIFF_TEXT_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "model/records.h"
#include "tool/diff/scenario_diff.h"

namespace scenario::tool {

// "km 8+000": a position as the kilometre and the metres past it.
std::string km_text(int64_t metres);

// A profile property's stored value as the author writes it ("110 km/h" for
// a speed limit, the gradient without the 100 added to it); the unit left
// out without `unit`.
std::string profile_value_text(const segment_field& property, int value, bool unit = true);

// The unchanged objects shown around each changed one: `count` before and
// after it, taken from `cells` (the new scenario's).
struct diff_context {
  const std::vector<track_segment>* cells = nullptr;
  const std::vector<track_segment>* old_cells = nullptr;
  int count = 0;
};

// Nothing for an empty diff.
void write_diff_text(std::ostream& out, const scenario_diff& diff, const diff_context& context);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DIFF_DIFF_TEXT_H_
