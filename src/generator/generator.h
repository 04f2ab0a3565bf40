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

// Writes the compiled files of `records` into `dir`, all replacing the
// earlier ones or none.
void write_compiled_files(const scenario_records& records, const std::filesystem::path& dir);

// Shows the code of a failure that stops the run; returns the exit status.
int errore(std::string_view a, std::ostream& err);

// Compiles the source texts found in `dir` and writes the compiled files
// there; returns the exit status.
int memorizza_percorso(scenario_records& records, int32_t j, const std::filesystem::path& dir,
                       std::ostream& err);

// The whole run: texts, documents, compilation.  Returns the exit status.
int Form_Load(const std::filesystem::path& dir, std::ostream& err);

}  // namespace scenario

#endif  // SCENARIO_APP_GENERATOR_H_
