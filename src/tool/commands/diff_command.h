// `scenario-tool diff OLD NEW`: what changed between two scenarios, by name.
#ifndef SCENARIO_TOOL_DIFF_COMMAND_H_
#define SCENARIO_TOOL_DIFF_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool {

struct diff_options {
  // Each a directory of compiled files, or two source texts given as
  // LINE_TXT,SERVICE_TXT and compiled in memory (UTF-8 paths).
  std::string old_side;
  std::string new_side;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  bool json = false;
  int context = 0;  // unchanged objects shown around each changed one
};

// 0 when the scenarios are the same, 1 when they differ, 3 when a file
// cannot be read, is damaged or the texts give no compiled files; a bad
// command line throws usage_error.
int run_diff(const diff_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DIFF_COMMAND_H_
