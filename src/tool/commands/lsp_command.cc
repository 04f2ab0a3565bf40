#include "tool/commands/lsp_command.h"

#include <fstream>

#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/identifiers.h"
#include "tool/lsp/feature_table.h"
#include "tool/lsp/server_loop.h"

namespace scenario::tool {

int run_lsp(const lsp_options& options, std::istream& in, std::ostream& out) {
  std::ofstream log;
  if (options.log) {
    log.open(platform::path_from_utf8(*options.log), std::ios::app);
    if (!log)
      throw file_error("cannot write the log " + shown(platform::path_from_utf8(*options.log)));
  }
  return lsp::serve(in, out, options.log ? &log : nullptr, lsp::library_features());
}

}  // namespace scenario::tool
