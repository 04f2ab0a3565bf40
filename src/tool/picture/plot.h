// One SVG picture of a compiled scenario for its author: the route plan to
// scale with stations, signals, tunnels and slowdowns, and under it the
// gradient, speed-limit and adhesion profiles along the line.
#ifndef SCENARIO_TOOL_PLOT_H_
#define SCENARIO_TOOL_PLOT_H_

#include <optional>
#include <string>
#include <vector>

#include "model/records.h"
#include "tool/report/compile_record.h"

namespace scenario::tool {

struct plot_input {
  std::string line_id;
  std::string train_code;
  std::optional<route_plan> plan;  // none when compiled without a route plan
  general_table_t table;
  std::vector<track_segment> segments;
  // The failure `compile` recorded for these very files, if any.
  std::optional<recorded_failure> failure = std::nullopt;
};

// A station of the table as the picture shows it.
struct plotted_station {
  int slot = 0;
  std::string name;  // UTF-8
  int32_t position = 0;
};

// Stations are the slots from 1 upward up to the first empty one, less the
// slots that sign boards of the segment array point at.
std::vector<plotted_station> stations_of(const general_table_t& table,
                                         const std::vector<track_segment>& segments);

// Where the picture draws the object of `cell`: the position an author
// writes to put it there (a signal or slowdown mark one cell after it), or
// the cell's first metre for what no entry places by position.
int32_t plotted_position(const std::vector<track_segment>& cells, size_t cell);

// A slowdown from its start mark to its end mark: the positions the marks
// were entered at, in metres, and the cells that hold them.
struct plotted_slowdown {
  int32_t from = 0;
  int32_t to = 0;
  int speed = 0;
  size_t start_cell = 0;
  size_t end_cell = 0;
};
std::vector<plotted_slowdown> slowdowns_of(const std::vector<track_segment>& segments);

// Metres of the route plan with a cell that holds NaN or an infinity: the
// picture leaves them out, and says so.
size_t unplottable_metres(const route_plan& plan);

// Runs of cells inside a tunnel (tunnel type not 0): first and last cell.
std::vector<std::pair<size_t, size_t>> tunnel_cells(const std::vector<track_segment>& segments);

// The route length as read, when it is one; else the cells' whole length.
int32_t line_length(const plot_input& input);

// The scenario in a few words: "54.0 km, 14 stations, 21 signals,
// 3 tunnels, 1 slowdown".
std::string scenario_facts(const plot_input& input);

std::string render_svg(const plot_input& input);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_PLOT_H_
