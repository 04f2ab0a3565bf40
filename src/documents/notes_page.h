// The notes page: the scenario's read-me for the driver. It greets the driver,
// gives the technical data of the simulated stretch, introduces the run, tells
// how the scenario was built (why 4 coaches, what is real and what invented,
// the all-clear signals and the invented slowdown), names the author by role
// only, and ends with the usual notice: freeware, personal use, not an
// official document.
#ifndef SCENARIO_DOCUMENTS_NOTES_PAGE_H_
#define SCENARIO_DOCUMENTS_NOTES_PAGE_H_

#include <string>

namespace scenario {

// dati_note ("notes data"): the bytes of the notes page file: 53 lines, Windows-1252 (the accented
// letters are single bytes, E0 for the a with a grave accent), CR LF after each line.
std::string dati_note();

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_NOTES_PAGE_H_
