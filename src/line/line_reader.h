// The line description reader: the first half of the compilation of a
// scenario's source texts.
#ifndef SCENARIO_LINE_LINE_READER_H_
#define SCENARIO_LINE_LINE_READER_H_

#include <cstdint>
#include <string_view>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// Reads the line description `text` into the records: route length and
// allocation, general parameters, route plan, gradients, tunnels, speed and
// sign boards.  Returns true when reading goes on with the train service
// description; false when a failure ended the whole reading.  Run-time
// failures escape as `reading_failure`.  `sign_board_cursor` receives the
// general-table slot the next sign board would have taken.
bool read_line_description(std::string_view text, scenario_records& records,
                           reading_outcome& outcome, int32_t& sign_board_cursor);

}  // namespace scenario

#endif  // SCENARIO_LINE_LINE_READER_H_
