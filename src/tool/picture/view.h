// One self-contained HTML page of a compiled scenario for its author: the
// route plan to pan and zoom, the profiles along the line, and an inspector
// that decodes the 50 m segment under any chosen metre.  The page carries
// its scenario as JSON and its code inline; it fetches nothing when viewed.
#ifndef SCENARIO_TOOL_VIEW_H_
#define SCENARIO_TOOL_VIEW_H_

#include <nlohmann/json.hpp>
#include <string>

#include "model/records.h"
#include "tool/picture/plot.h"

namespace scenario::tool {

// The scenario as the page's script reads it.  Every field of every cell is
// kept exactly: the point fields (kind to approach_mark) of the cells where
// one is set, the per-cell properties (tunnel type to adhesion) as runs.
nlohmann::json view_data(const plot_input& input);

// One column of the route plan (0: x, 1: y), every metre to the
// millimetre the listings print, packed as a text.  Each metre is told by
// how far its millimetres stray from a straight continuation of the two
// metres before it, which on a railway is nearly always a few millimetres:
//   a letter       A..Z a..z stand for -26..25
//   (n)            any other difference n, in decimal
//   -              before a value of 0 mm: printed "-0.000", as a small
//                  negative coordinate is
//   !              an empty cell
//   'text'         a value too large to draw, or not a number, as printed;
//                  it leaves the two metres before as they were
// A letter or "!" followed by a decimal count n stands for n of them.
std::string encode_plan_column(const route_plan& plan, int column);

// The whole page.
std::string render_view_html(const plot_input& input);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_VIEW_H_
