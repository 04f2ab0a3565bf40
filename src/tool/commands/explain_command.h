// `scenario-tool explain`: what a failure code or a warning id means, its
// usual causes, how to fix it and a short example.
#ifndef SCENARIO_TOOL_EXPLAIN_COMMAND_H_
#define SCENARIO_TOOL_EXPLAIN_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool {

// Explains `id`, or lists every code and id when there is none; an unknown
// id is a usage error.  Returns the exit status.
int run_explain(const std::optional<std::string>& id, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_EXPLAIN_COMMAND_H_
