// Every error in one run: after the numbered failure that ends the reading,
// the same compilation runs again on copies of the texts with the failing
// entry passed over (its line emptied, so that every other line keeps its
// number and the diagnostics point at the author's lines), and again, until
// a compilation ends without a failure tied to one entry or the limit is
// reached.  The records of these runs only tell: the first run's alone make
// the compiled files and the compile record.
#ifndef SCENARIO_TOOL_REPORT_FURTHER_ERRORS_H_
#define SCENARIO_TOOL_REPORT_FURTHER_ERRORS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compile/compilation.h"
#include "model/records.h"
#include "tool/report/report.h"

namespace scenario::tool {

// Errors one run reports at most, the first failure included: each one
// found costs a whole compilation.
inline constexpr int32_t kMostErrors = 20;

struct further_errors {
  // The further failures, each with the entry passed over last before it,
  // and the warnings of the later runs the first one never reached.
  std::vector<diagnostic> diagnostics;
  // `most_errors` when the search stopped there with entries left to read.
  int32_t error_limit = 0;
};

// Looks for the failures after the first one of `first` (compiled from
// `texts` into `first_records`, whose identifiers and geometry setting the
// later runs take over).  Nothing when that failure is not tied to one entry
// (no failure, a stamp error, a missing text or general section, a failure
// of the track-code pass).
further_errors find_further_errors(const scenario_records& first_records, const compilation& first,
                                   const source_texts& texts, const source_names& names,
                                   int32_t most_errors = kMostErrors);

// Adds them to the first run's report, in the order of the texts.
void add_further_errors(compile_report& report, further_errors further, const source_names& names);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_REPORT_FURTHER_ERRORS_H_
