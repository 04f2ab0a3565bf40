// The built-in train service description: local train 5244 from Milano
// Centrale to Lecco.
#ifndef SCENARIO_SERVICE_SERVICE_TEXT_H_
#define SCENARIO_SERVICE_SERVICE_TEXT_H_

#include <string>
#include <string_view>

namespace scenario {

// dati_treno ("train data"): the bytes of the train service description
// file (54 lines, CR LF after each).
std::string dati_treno();

// Its name beside the other scenario files.
std::string train_service_file_name(std::string_view line_id, std::string_view train_code);

}  // namespace scenario

#endif  // SCENARIO_SERVICE_SERVICE_TEXT_H_
