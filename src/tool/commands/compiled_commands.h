// Finding and reading a compiled scenario in a directory, for `dump`,
// `plot` and `view`.
#ifndef SCENARIO_TOOL_SCENARIO_FILES_H_
#define SCENARIO_TOOL_SCENARIO_FILES_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "format/decode.h"

namespace scenario::tool {

struct dump_options {
  std::filesystem::path file;
  std::optional<std::string> kind;  // geometry, table or segments
  bool json = false;
};

int run_dump(const dump_options& options, std::ostream& out, std::ostream& err);

struct plot_options {
  std::filesystem::path dir;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  std::optional<std::filesystem::path> output;  // default: DIR/<line>_<train>.svg
};

int run_plot(const plot_options& options, std::ostream& out, std::ostream& err);

// The same choice of scenario as `plot`; the output defaults to
// DIR/<line>_<train>.html.
using view_options = plot_options;

int run_view(const view_options& options, std::ostream& out, std::ostream& err);

// The identifiers of the compiled scenario in `dir`: the flags, else the
// only line geometry file and the only table file of that line there.
// Throws usage_error when there is none or more than one to choose from.
std::pair<std::string, std::string> find_scenario(const std::filesystem::path& dir,
                                                  const std::optional<std::string>& line_id,
                                                  const std::optional<std::string>& train_code);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_SCENARIO_FILES_H_
