// `scenario-tool view DIR`: an interactive page of a compiled scenario, in
// one HTML file.
#ifndef SCENARIO_TOOL_VIEW_COMMAND_H_
#define SCENARIO_TOOL_VIEW_COMMAND_H_

#include <ostream>

#include "tool/commands/plot_command.h"

namespace scenario::tool {

// The same choice of scenario as `plot`; the output defaults to
// DIR/<line>_<train>.html.
using view_options = plot_options;

int run_view(const view_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_VIEW_COMMAND_H_
