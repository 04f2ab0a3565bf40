// The kilometric progressive reference entries ("progressiva chilometrica",
// kilometric point) of the line description.
#ifndef SCENARIO_LINE_PROGRESSIVE_H_
#define SCENARIO_LINE_PROGRESSIVE_H_

#include "model/records.h"

namespace scenario {

// progressive_ordina ("order the progressives"): puts the entries read as
// "uno", "due" and "tre" (one, two, three: slots 83, 82, 81) into their fixed
// order in slots 81..83 and applies their flags.
void progressive_ordina(general_table_t& table);

}  // namespace scenario

#endif  // SCENARIO_LINE_PROGRESSIVE_H_
