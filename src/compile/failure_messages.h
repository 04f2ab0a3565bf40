// Plain meanings of the numbered failures a compilation records, for the
// people who write scenarios.
#ifndef SCENARIO_APP_FAILURE_MESSAGES_H_
#define SCENARIO_APP_FAILURE_MESSAGES_H_

#include <cstdint>
#include <string_view>

namespace scenario {

// The meaning of a failure code; a generic text for an unknown one.
std::string_view failure_meaning(int32_t code);

// Whether a failure sets `failure_position` to the entry's position; the
// others leave it as it was, and no position is shown for them.
bool failure_has_position(int32_t code);

}  // namespace scenario

#endif  // SCENARIO_APP_FAILURE_MESSAGES_H_
