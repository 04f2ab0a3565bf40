// What `compile` leaves beside the compiled files: its report, tied to the
// very bytes of the table and segment files it wrote, so that `plot` can say
// that a scenario was compiled with a recorded failure and never mistakes a
// record for files written since by anything else.
#ifndef SCENARIO_TOOL_COMPILE_RECORD_H_
#define SCENARIO_TOOL_COMPILE_RECORD_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "format/scenario_names.h"  // compile_record_name
#include "tool/report/report.h"

namespace scenario::tool {

// The report as `--format json` gives it, with the fingerprints of the two
// files.
std::string compile_record_json(const compile_report& report, std::string_view table_bytes,
                                std::string_view segment_bytes);

struct recorded_failure {
  int32_t code = 0;
  std::optional<int32_t> position;  // none for a failure that records none
  std::string message;
};

// The failure a record holds for exactly these files; nothing when the
// record is for other bytes, unreadable, or holds no failure.
std::optional<recorded_failure> recorded_failure_of(std::string_view record,
                                                    std::string_view table_bytes,
                                                    std::string_view segment_bytes);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_COMPILE_RECORD_H_
