// The two check codes stamped into the compiled files, computed from the
// train code and the line identifier stored in the general table.  The
// simulator recomputes them to tell a scenario of this generator.
#ifndef SCENARIO_CODES_CHECK_CODES_H_
#define SCENARIO_CODES_CHECK_CODES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "model/records.h"

namespace scenario {

// Lower-cases Windows-1252 text byte by byte: A-Z and C0-DE except D7 (the
// multiplication sign) gain 20 hex; 8A, 8C, 8E and 9F become 9A, 9C, 9E and FF.
// Every other byte passes unchanged; the text is taken as single bytes, never
// decoded.
std::string lower_cp1252(std::string_view text);

// The simulator's names: codice gara ("contest code"), with its own
// suffixes st and og telling the two apart.
//
// codice_gara_st: the weighted sum of the first 25 character codes of the
// work text (code of character i times i, i from 1); stored in slot 85's
// time_s.
int32_t codice_gara_st(const general_table_t& table);

// codice_gara_og: the plain sum of the first 25 character codes of the work
// text; stored in segment 1's value2.
int16_t codice_gara_og(const general_table_t& table);

}  // namespace scenario

#endif  // SCENARIO_CODES_CHECK_CODES_H_
