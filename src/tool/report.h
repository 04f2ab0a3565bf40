// What a compilation tells its author: the numbered failure, pointed at the
// entry of the source text that caused it, a stamp error, the files written.
// Shown the way compilers show errors, or as one JSON object.
#ifndef SCENARIO_TOOL_REPORT_H_
#define SCENARIO_TOOL_REPORT_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/compilation.h"
#include "model/records.h"

namespace scenario::tool {

// One error.  A failure of the readers has a file, line and column; one of
// the track-code pass (11 to 13) has a file but no place in it, because the
// pass works on the segment array, not on a text; a stamp error has neither.
struct diagnostic {
  std::optional<std::string> file;
  std::optional<int32_t> line;
  std::optional<int32_t> column;
  int32_t code = 0;
  std::string message;
};

struct compile_report {
  int32_t failure_code = 0;
  int32_t failure_position = 0;
  int32_t stamp_error = 0;  // 0 = none
  std::vector<std::string> files;
  std::vector<diagnostic> diagnostics;
};

// The names the two source texts go by in the diagnostics.
struct source_names {
  std::string line_description;
  std::string train_service;
};

// The report of a compilation whose records and result are given.
compile_report make_report(const scenario_records& records, const compilation& result,
                           const source_names& names);

// "FILE:LINE:COLUMN: error: MEANING (failure N at P m)", or with less of
// the place when it is not known.
std::string format_diagnostic(const diagnostic& d, int32_t failure_position);

// Every diagnostic, one line each.
void print_diagnostics(std::ostream& err, const compile_report& report);

// {"failure_code", "failure_position", "stamp_error", "files", "diagnostics"}
std::string report_json(const compile_report& report);

// {"error": what, "exit_status": status}: a failure that ended a command
// before it had anything else to say.
std::string error_json(std::string_view what, int status);

// The meaning of a stamp error (1250, 1251).
std::string stamp_error_meaning(int32_t code);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_REPORT_H_
