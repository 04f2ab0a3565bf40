// The generator's run: it writes the built-in scenario's texts beside its own
// executable, compiles them and writes the compiled files there.
#ifndef SCENARIO_APP_GENERATOR_H_
#define SCENARIO_APP_GENERATOR_H_

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "system/files.h"

namespace scenario {

// errore ("error"): shows the code of a failure that stops the run; returns
// the exit status.
int errore(std::string_view a, std::ostream& err);

// memorizza_percorso ("store the route"): compiles the source texts found in
// `dir` and writes the compiled files there; returns the exit status.  The
// simulator's argument j is `build_geometry`: draw the route plan and write
// the line geometry file.
int memorizza_percorso(scenario_records& records, bool build_geometry,
                       const std::filesystem::path& dir, std::ostream& err);

// Form_Load (the simulator's window-load event): the whole run, texts,
// documents, compilation.  Returns the exit status.
int Form_Load(const std::filesystem::path& dir, std::ostream& err);

}  // namespace scenario

#endif  // SCENARIO_APP_GENERATOR_H_
