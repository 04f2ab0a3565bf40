// The train sheet: the driver's timetable card for train 5244 from Milano
// Centrale to Lecco. Its header gives the train number, the route, the maximum
// speed rank (V120 A), the braked-mass percentage (125%), the classification
// and the braked mass; its table lists every service point with the speed
// limit taking effect there, the kilometric progressive and the timetable
// (a "+" marks the arrival minute of a stop).
#ifndef SCENARIO_DOCUMENTS_TRAIN_SHEET_H_
#define SCENARIO_DOCUMENTS_TRAIN_SHEET_H_

#include <string>

namespace scenario {

// dati_scheda ("sheet data"): the bytes of the train sheet file: 51 lines, Windows-1252, CR LF
// after each line, 3 904 bytes in all.
std::string dati_scheda();

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_TRAIN_SHEET_H_
