// A scenario diff as one JSON object, for scripts: the same changes the text
// lists, with the positions and names dump's JSON gives.
#ifndef SCENARIO_TOOL_DIFF_DIFF_JSON_H_
#define SCENARIO_TOOL_DIFF_DIFF_JSON_H_

#include <ostream>
#include <string_view>

#include "tool/diff/scenario_diff.h"

namespace scenario::tool {

// `old_name` and `new_name` say what was compared (a directory, or the two
// source texts).
void write_diff_json(std::ostream& out, const scenario_diff& diff, std::string_view old_name,
                     std::string_view new_name);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DIFF_DIFF_JSON_H_
