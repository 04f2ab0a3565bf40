// The line description reader: the first half of the compilation of a
// scenario's source texts.
#ifndef SCENARIO_LINE_LINE_READER_H_
#define SCENARIO_LINE_LINE_READER_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "model/records.h"
#include "reading/reading.h"

namespace scenario {

// The entries of the line description as its writer spells them: those of
// the general section, then those after it.  The reader recognises each by
// words it contains; the list serves the guide for authors and the
// suggestions for a misspelt keyword.  Keywords are the simulator's Italian
// words; their English meaning stands beside them.
inline constexpr std::array<std::string_view, 9> kLineGeneralKeywords = {
    "lunghezza percorso",            // route length
    "progressiva chilometrica uno",  // kilometric point one
    "progressiva chilometrica due",  // two
    "progressiva chilometrica tre",  // three
    "sfondo uno",                    // scenery (background) one
    "sfondo due",                    // two
    "sfondo tre",                    // three
    "ripetizione segnali 4 codici",  // cab-signal repetition, 4 codes
    "ripetizione segnali 9 codici",  // the same, 9 codes
};
inline constexpr std::array<std::string_view, 6> kLineEntryKeywords = {
    "curvas",               // curve to the left (sinistra)
    "curvad",               // curve to the right (destra)
    "pendenza",             // gradient
    "montagna",             // mountain: a tunnel
    "indicatori_vmax",      // maximum-speed indicators: a speed-limit board
    "cartello indicatore",  // sign board
};
inline constexpr std::array<std::string_view, 7> kLineSections = {
    "[generale]",     // general
    "[curve]",        // curves
    "[pendenze]",     // gradients
    "[montagne]",     // mountains (tunnels)
    "[cartelli]",     // boards
    "[indicazioni]",  // indications
    "[fine]",         // end
};

// Reads the line description `text` into the records: route length and
// allocation, general parameters, route plan, gradients, tunnels, speed and
// sign boards.  Returns true when reading goes on with the train service
// description; false when a failure ended the whole reading.  Run-time
// failures escape as `reading_failure`.  `sign_board_cursor` receives the
// general-table slot the next sign board would have taken.
bool read_line_description(std::string_view text, scenario_records& records,
                           reading_outcome& outcome, int32_t& sign_board_cursor);

}  // namespace scenario

#endif  // SCENARIO_LINE_LINE_READER_H_
