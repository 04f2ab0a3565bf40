// `scenario-tool plot DIR`: a compiled scenario drawn as an SVG picture, and
// the picture writing that `view` shares.
#ifndef SCENARIO_TOOL_PLOT_COMMAND_H_
#define SCENARIO_TOOL_PLOT_COMMAND_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "tool/picture/plot.h"

namespace scenario::tool {

struct plot_options {
  std::filesystem::path dir;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  std::optional<std::filesystem::path> output;  // default: DIR/<line>_<train>.svg
};

int run_plot(const plot_options& options, std::ostream& out, std::ostream& err);

// Writes `render` of the scenario `options` chooses beside it, named
// <line>_<train><extension>, or where `options` says (never onto one of its
// own files).  Returns the exit status.
int write_picture(const plot_options& options, std::string_view extension,
                  std::string (*render)(const plot_input&), std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_PLOT_COMMAND_H_
