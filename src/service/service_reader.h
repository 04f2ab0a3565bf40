// The train service description reader: the second half of the compilation
// of a scenario's source texts.
#ifndef SCENARIO_SERVICE_SERVICE_READER_H_
#define SCENARIO_SERVICE_SERVICE_READER_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// The entries of the train service description as its writer spells them;
// the reader recognises each by words it contains.  The list serves the guide
// for authors and the suggestions for a misspelt keyword.  Keywords are the
// simulator's Italian words; their English meaning stands beside them.
inline constexpr std::array<std::string_view, 10> kServiceKeywords = {
    "numero vetture",             // number of coaches
    "percentuale massa frenata",  // braked-mass percentage
    "sabbia",                     // sand
    "orologio",                   // clock
    "aderenza",                   // adhesion
    "velocita",                   // speed (limit)
    "stazione",                   // station
    "rallentamento",              // slowdown
    "segnale",                    // signal
    "abbattimento",               // literally "knocking down": a track-code point
};
inline constexpr std::array<std::string_view, 8> kServiceSections = {
    "[generale]",       // general
    "[aderenze]",       // adhesions
    "[vel_limite]",     // speed limits
    "[stazioni]",       // stations
    "[rallentamenti]",  // slowdowns
    "[segnali]",        // signals
    "[codici]",         // codes
    "[fine]",           // end
};

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
