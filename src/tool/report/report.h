// What a compilation tells its author: the numbered failure, pointed at the
// entry of the source text that caused it, a stamp error, the warnings of
// the readers, the files written.  Shown the way compilers show them, with
// the source line and a caret under the column, or as one JSON object.
#ifndef SCENARIO_TOOL_REPORT_H_
#define SCENARIO_TOOL_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compile/compilation.h"
#include "compile/explanations.h"
#include "model/records.h"
#include "tool/report/json_writer.h"

namespace scenario::tool {

// One error or warning.  A failure of the readers has a file, line and
// column; one of the track-code pass (11 to 13) has them when the entry
// whose surroundings it could not complete is known, else only the file; a
// stamp error has neither.
struct diagnostic {
  std::optional<std::string> file;
  std::optional<int32_t> line;
  std::optional<int32_t> column;
  int32_t code = 0;  // 0 for a warning
  std::string message;
  severity level = severity::error;
  std::string id;           // what `explain` takes: the code, or the warning's id
  bool positioned = false;  // an error whose failure position names its entry
  // A warning id at the level of an error: something the author wrote does
  // not reach the compiled files (see is_loss).
  bool loss = false;
  bool allowed = false;  // a loss or warning the author allowed (--allow)
  // A failure found by compiling again with earlier failing entries passed
  // over: its own position, and the entry passed over last before it.
  std::optional<int32_t> position{};
  std::optional<std::string> passed_over_file{};
  std::optional<int32_t> passed_over_line{};
};

struct compile_report {
  int32_t failure_code = 0;
  int32_t failure_position = 0;
  int32_t stamp_error = 0;  // 0 = none
  std::vector<std::string> files;
  std::vector<diagnostic> diagnostics;  // in the order the texts hold them
  std::vector<std::string> allowed;     // the ids given to --allow
  // The search for further failures stopped at this many errors, with more
  // entries left to look at; 0 when it ran to its end.
  int32_t error_limit = 0;
};

// The names the two source texts go by in the diagnostics.
struct source_names {
  std::string line_description;
  std::string train_service;
};

// The report of a compilation whose records and result are given.
compile_report make_report(const scenario_records& records, const compilation& result,
                           const source_names& names);

// Puts the diagnostics in the order the texts hold them (the texts in the
// order the compilation reads them); what has no place comes last.
void sort_by_place(compile_report& report, const source_names& names);

// Turns the losses of the ids in `ids` into warnings and marks them, and
// the warnings of those ids, as allowed: the author means them.
void allow(compile_report& report, const std::vector<std::string>& ids);

// Drops the warnings (-w); errors always stay.
void hide_warnings(compile_report& report);
// The warnings --werror counts: those not allowed.
size_t warning_count(const compile_report& report);
size_t error_count(const compile_report& report);

// "FILE:LINE:COLUMN: error: MESSAGE (failure N at P m)", or with less of
// the place when it is not known, no position for a failure that has none;
// "FILE:LINE:COLUMN: warning: MESSAGE [ID]"; a loss is
// "FILE:LINE:COLUMN: error: MESSAGE [ID]", and an allowed one a warning
// "[ID, allowed]".
std::string format_diagnostic(const diagnostic& d, int32_t failure_position);

// The source texts, to quote the lines the diagnostics point at.
struct source_texts {
  std::string_view line_description;
  std::string_view train_service;
};

// Diagnostics of one id the text form shows at most: past them, one note
// counts the rest.  A text with a few hundred thousand bad lines is then
// still a report a person can read, and the JSON form holds every one.
inline constexpr size_t kShownOfOneId = 100;

// Every diagnostic, each followed by its source line and a caret under the
// column, up to kShownOfOneId of one id; coloured as compilers do when
// `colour` is set.
void print_diagnostics(std::ostream& err, const compile_report& report, const source_names& names,
                       const source_texts& texts, bool colour);

// The line `line` (from 1) of `text` and the caret under `column`, as two
// lines "  12 | text" and "     |   ^"; nothing when the text has no such
// line.  Control bytes show as \xNN, a long line is cut around the column.
std::string source_excerpt(std::string_view text, int32_t line, int32_t column, bool colour);

// {"failure_code", "failure_position", "stamp_error", "files", "allowed",
// "diagnostics"}; each diagnostic carries "severity", "id", "code",
// "failure_code" (a numbered failure's code, else null), "loss" and
// "allowed"; a further failure adds its "failure_position" and
// "passed_over" ({"file", "line"}), and "error_limit" says where the search
// for them stopped when it did.
std::string report_json(const compile_report& report);
// The same, written into `w` as it goes: a report of any number of
// diagnostics is never held whole.  `more_members` may add members whose
// names sort between "allowed" and "diagnostics" (the compile record's
// "compiled_files"), which keeps the members in dump's order.
void write_report_json(json_writer& w, const compile_report& report,
                       const std::function<void(json_writer&)>& more_members = {});

// {"error": what, "exit_status": status}: a failure that ended a command
// before it had anything else to say.
std::string error_json(std::string_view what, int status);

// The meaning of a stamp error (1250, 1251).
std::string stamp_error_meaning(int32_t code);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_REPORT_H_
