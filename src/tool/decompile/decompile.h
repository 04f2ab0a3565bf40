// The way back from a compiled scenario to its two source texts.  The
// generator deletes its texts once compiled, and scenarios travel as their
// three compiled files only; `decompile` recovers texts that compile to the
// very same bytes, and says exactly where that cannot be done (files of a
// run that recorded a failure, hand-edited files).
#ifndef SCENARIO_TOOL_DECOMPILE_H_
#define SCENARIO_TOOL_DECOMPILE_H_

#include <string>
#include <vector>

#include "model/records.h"

namespace scenario::tool {

struct recovered_texts {
  std::string line_description;
  std::string train_service;
  // Every difference between the held files and those the texts compile to,
  // one line each ("FILE: segment N, at P m: FIELD: held V, the texts give W"), and
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

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DECOMPILE_H_
