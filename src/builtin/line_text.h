// The built-in line description of the scenario: Milano Centrale - Lecco.
#ifndef SCENARIO_LINE_LINE_TEXT_H_
#define SCENARIO_LINE_LINE_TEXT_H_

#include <string>
#include <string_view>

namespace scenario {

// dati_linea ("line data"): the bytes of the line description file (44
// lines, CR LF after each).
std::string dati_linea();

// Its name beside the other scenario files.
std::string line_description_file_name(std::string_view line_id);

}  // namespace scenario

#endif  // SCENARIO_LINE_LINE_TEXT_H_
