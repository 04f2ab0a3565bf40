// Compilation of a scenario's two source texts into its records: the
// readers, the track-code pass, the stamps and the check codes.  It works on
// texts in memory; files, and the deletion of used-up texts, are the
// caller's.
#ifndef SCENARIO_APP_COMPILATION_H_
#define SCENARIO_APP_COMPILATION_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// A source text, or nothing when its file does not exist.
using source_text = std::optional<std::string_view>;

// memorizza_dati ("store the data"): reads both source texts into the
// records.  Numbered failures are recorded in the records; run-time failures
// become failure 25.
reading_outcome memorizza_dati(scenario_records& records, source_text line_description,
                               source_text train_service);

// Stamps checked before they are stored: a reader must not have written them.
inline constexpr int32_t kStampTaken = 1250;
inline constexpr int32_t kCheckCodeTaken = 1251;
inline constexpr int16_t kTableStamp = 610;
inline constexpr int16_t kSegmentStamp = 5121;

struct compilation {
  reading_outcome reading;
  // The route length sized the arrays, so there are compiled files to write
  // (unless a stamp check failed).
  bool compiled = false;
  // 1250 or 1251 when a stamp slot was already taken; nothing may be written.
  int32_t stamp_error = 0;
};

// Everything of a compilation but the writing of the files: clears the
// general table, reads, assigns the track codes, stamps the reserved slots and
// stores the check codes.  `build_geometry` draws the route plan.
compilation compile_scenario(scenario_records& records, bool build_geometry,
                             source_text line_description, source_text train_service);

}  // namespace scenario

#endif  // SCENARIO_APP_COMPILATION_H_
