// The slow order form (Modulo M. 3): the written order handed to the driver of
// train L5244 listing the temporary speed restrictions to observe on the line.
// It holds one restriction, between Monza and Arcore from kilometric point
// 13.200, 30 km/h over 750 m, the same slowdown the scenario's train service
// places on the track, followed by the key of the specific prescriptions.
#ifndef SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_H_
#define SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_H_

#include <string>

namespace scenario {

// dati_rallentamenti ("slowdowns data"): the bytes of the slow order form file: 46 lines,
// Windows-1252, CR LF after each line, 3 293 bytes in all.
std::string dati_rallentamenti();

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_SLOW_ORDER_FORM_H_
