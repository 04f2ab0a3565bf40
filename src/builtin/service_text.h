// The built-in train service description: local train 5244 from Milano
// Centrale to Lecco.
#ifndef SCENARIO_SERVICE_SERVICE_TEXT_H_
#define SCENARIO_SERVICE_SERVICE_TEXT_H_

#include <string>

namespace scenario {

// dati_treno ("train data"): the bytes of the train service description
// file (54 lines, CR LF after each).
std::string dati_treno();

}  // namespace scenario

#endif  // SCENARIO_SERVICE_SERVICE_TEXT_H_
