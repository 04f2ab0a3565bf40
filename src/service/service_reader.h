// The train service description reader: the second half of the compilation
// of a scenario's source texts.
#ifndef SCENARIO_SERVICE_SERVICE_READER_H_
#define SCENARIO_SERVICE_SERVICE_READER_H_

#include <cstdint>
#include <string_view>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// Reads the train service description `text` into the records: train
// make-up and clock, speed and adhesion profiles, stations, abbattimento
// marks, signals and slowdowns; then completes the profiles and checks the
// kilometric progressive records.  Stations stay below `sign_board_cursor`,
// the slot the line description's sign boards left free.  Run-time failures
// escape as `reading_failure`.
void read_train_service(std::string_view text, scenario_records& records, reading_outcome& outcome,
                        int32_t sign_board_cursor);

}  // namespace scenario

#endif  // SCENARIO_SERVICE_SERVICE_READER_H_
