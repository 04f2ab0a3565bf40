// `scenario-tool lsp`: the language server for the authors' editors, on
// standard input and output.
#ifndef SCENARIO_TOOL_LSP_COMMAND_H_
#define SCENARIO_TOOL_LSP_COMMAND_H_

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace scenario::tool {

struct lsp_options {
  std::optional<std::string> log;  // a file for what the server notes
};

// Serves until the editor says exit; returns the exit status.
int run_lsp(const lsp_options& options, std::istream& in, std::ostream& out);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_LSP_COMMAND_H_
