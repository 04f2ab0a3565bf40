// `scenario-tool dump FILE`: one compiled file listed as text or JSON.
#ifndef SCENARIO_TOOL_DUMP_COMMAND_H_
#define SCENARIO_TOOL_DUMP_COMMAND_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool {

struct dump_options {
  std::filesystem::path file;
  std::optional<std::string> kind;  // geometry, table or segments
  bool json = false;
};

int run_dump(const dump_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DUMP_COMMAND_H_
