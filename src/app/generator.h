// The generator's run: it writes the built-in scenario's texts beside its own
// executable, compiles them and writes the compiled files there.
#ifndef SCENARIO_APP_GENERATOR_H_
#define SCENARIO_APP_GENERATOR_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/records.h"

namespace scenario {

// A file that could not be written, read or deleted; what() names the file
// and the reason.
class file_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole bytes of a file; throws `file_error` naming it and the reason.
std::string read_whole_file(const std::filesystem::path& path);

// The directory that holds the running executable.
std::filesystem::path output_directory();

// Replaces `path` with the bytes `write` produces.  They go to a temporary
// file in the same directory first, which then takes the old file's place,
// so a failed write leaves the earlier file whole.
void replace_file(const std::filesystem::path& path,
                  const std::function<void(std::ostream&)>& write);
void replace_file(const std::filesystem::path& path, std::string_view bytes);

// Writes the compiled files of `records` into `dir`, each replacing the
// earlier one: the line geometry file (when the route plan was drawn), the
// table file, the segment file.
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
