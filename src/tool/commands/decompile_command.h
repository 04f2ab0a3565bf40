// `scenario-tool decompile DIR`: the two source texts of a compiled scenario
// recovered and written, exactly where possible.
#ifndef SCENARIO_TOOL_DECOMPILE_COMMAND_H_
#define SCENARIO_TOOL_DECOMPILE_COMMAND_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool {

struct decompile_options {
  std::filesystem::path dir;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  std::filesystem::path out_dir = ".";
  bool force = false;  // replace texts already in out_dir
  bool wait = true;    // false: refuse when another run is writing into out_dir
};

// 0 when the texts give the files back exactly, 1 when they cannot (every
// difference reported), 3 for files that cannot be read or decoded (nothing
// written).
int run_decompile(const decompile_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DECOMPILE_COMMAND_H_
