// The language server on two streams: a thread reads and frames the
// editor's messages as they come, the calling thread handles them, and
// compiles the changed texts once no message has come for the debounce
// time.  A change that arrives while a compilation runs is handled before
// that compilation's diagnostics go out, which then wait for the newer one.
#ifndef SCENARIO_TOOL_LSP_SERVER_LOOP_H_
#define SCENARIO_TOOL_LSP_SERVER_LOOP_H_

#include <chrono>
#include <istream>
#include <ostream>
#include <string>

#include "tool/lsp/feature_table.h"
#include "tool/lsp/server.h"

namespace scenario::tool::lsp {

// "Content-Length: N\r\n\r\n" and the JSON of `message`.
std::string framed(const json& message);

// Serves until the exit notification or the end of `in`; returns the exit
// status (0 only after a shutdown request).
int serve(std::istream& in, std::ostream& out, std::ostream* log, feature_table features,
          std::chrono::milliseconds debounce = kDebounce);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_SERVER_LOOP_H_
