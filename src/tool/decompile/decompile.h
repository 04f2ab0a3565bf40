// The way back from a compiled scenario to its two source texts.  The
// generator deletes its texts once compiled, and scenarios travel as their
// three compiled files only; `decompile` recovers texts that compile to the
// very same bytes, and says exactly where that cannot be done (files of a
// run that recorded a failure, hand-edited files).
#ifndef SCENARIO_TOOL_DECOMPILE_H_
#define SCENARIO_TOOL_DECOMPILE_H_

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/records.h"

namespace scenario::tool {

struct recovered_texts {
  std::string line_description;
  std::string train_service;
  // Every difference between the held files and those the texts compile to,
  // one line each ("FILE: cell N: FIELD: held V, the texts give W"), and
  // whatever else keeps the texts from giving the files back.
  std::vector<std::string> warnings;
  // Why, where the decompiler could tell.
  std::vector<std::string> notes;
  bool exact() const { return warnings.empty(); }
};

// The texts behind the compiled records `compiled`: the decoded files, with
// line_id and train_code set and build_geometry 1 when the line geometry
// file was there.  The texts are compiled again and compared with the files.
recovered_texts decompile(const scenario_records& compiled);

struct decompile_options {
  std::filesystem::path dir;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  std::filesystem::path out_dir = ".";
  bool force = false;  // replace texts already in out_dir
};

// `scenario-tool decompile`: 0 when the texts give the files back exactly,
// 1 when they cannot (every difference reported), 3 for files that cannot
// be read or decoded (nothing written).
int run_decompile(const decompile_options& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DECOMPILE_H_
