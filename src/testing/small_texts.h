// The smallest texts a test puts its entries into: a 20 000 m line with one
// flat gradient, and a train service with a speed and an adhesion and
// nothing else, so that whatever a diagnostic or a byte says comes from the
// entries the test adds.
#ifndef SCENARIO_TESTING_SMALL_TEXTS_H_
#define SCENARIO_TESTING_SMALL_TEXTS_H_

#include <string>

namespace scenario::testing {

inline const std::string kSmallLine =
    "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n";
inline const std::string kSmallService =
    "[generale]\r\nvelocita, 0, 90\r\naderenza, 0, 100\r\n[fine]\r\n";

// What follows a position to make a whole entry: a signal showing 4/2 with
// repetition, and a stop of 30 s (the station's name still to come).
inline const std::string kSignalValues = ", 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n";
inline const std::string kStationValues = ", 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ";

// The small line description with `lines` before its closing line, from
// line 5 on.
inline std::string small_line_with(const std::string& lines) {
  return kSmallLine.substr(0, kSmallLine.size() - 8) + lines + "[fine]\r\n";
}

// The small train service with `lines` before its closing line, from line 4
// on.
inline std::string small_service_with(const std::string& lines) {
  return kSmallService.substr(0, kSmallService.size() - 8) + lines + "[fine]\r\n";
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_SMALL_TEXTS_H_
