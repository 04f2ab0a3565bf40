// `scenario-tool template DIR`: the built-in source texts written as an
// author's starting point, plain or annotated entry by entry.
#ifndef SCENARIO_TOOL_TEMPLATE_COMMAND_H_
#define SCENARIO_TOOL_TEMPLATE_COMMAND_H_

#include <filesystem>
#include <ostream>
#include <string>

namespace scenario::tool {

struct template_options {
  std::filesystem::path dir;
  std::string line_id = "Milano_Lecco";
  std::string train_code = "L5244";
  bool force = false;      // replace texts already there
  bool annotated = false;  // with comment lines explaining every entry
  bool wait = true;        // false: refuse when another run is writing into dir
};

int run_template(const template_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_TEMPLATE_COMMAND_H_
