// The command line of scenario-tool.
#ifndef SCENARIO_TOOL_CLI_H_
#define SCENARIO_TOOL_CLI_H_

#include <ostream>

namespace scenario::tool {

inline constexpr const char* kToolVersion = "1.0.0";

// Parses the arguments and runs the command; returns the exit status.
// `colour`: standard error is a terminal that diagnostics may colour.
int run_tool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool colour = false);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_CLI_H_
