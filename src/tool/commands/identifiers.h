// The line identifier and the train code of an author's scenario: taken
// from the command line, from the names of the source texts or from those of
// the compiled files in a directory, and checked so that every file name
// built from them stays inside its directory.
#ifndef SCENARIO_TOOL_IDENTIFIERS_H_
#define SCENARIO_TOOL_IDENTIFIERS_H_

#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "format/scenario_names.h"

namespace scenario::tool {

// A command line the tool cannot act on; what() says why.
class usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using identifiers = scenario_ids;

// Refuses (usage_error) an identifier that is empty, that would take a file
// name out of its directory (a slash, a backslash, ".."), or that carries a
// control byte (0x00-0x1F, 0x7F) into file names and messages.
void check_identifier(std::string_view what, std::string_view id);

// Refuses a train code as check_identifier does, and one that is "linea" or
// ends in "_linea" (letter case aside): its segment file "<line>_<code>.dat"
// would be the line geometry file of another line ("<line>_X_linea.dat" of
// line "<line>_X"), and one scenario's files would replace another's.
void check_train_code(std::string_view code);

// The flags when given, else the names of the two source texts (paths: only
// their last component counts).  Throws usage_error when neither tells.
identifiers resolve_identifiers(std::string_view line_path, std::string_view service_path,
                                const std::optional<std::string>& line_flag,
                                const std::optional<std::string>& train_flag);

// The names of the files in `dir`, as UTF-8 text (file_error when it cannot
// be read).
std::set<std::string> file_names_in(const std::filesystem::path& dir);

// The identifiers of the compiled scenario in `dir`: the flags, else the
// only line geometry file and the only table file of that line there.
// Throws usage_error when there is none or more than one to choose from.
identifiers find_scenario(const std::filesystem::path& dir,
                          const std::optional<std::string>& line_id,
                          const std::optional<std::string>& train_code);

// The identifiers of the compiled scenario in `dir`, with or without its
// line geometry file: as find_scenario when there is a line geometry file or
// a --line-id, else from the only table file there, whose slots hold the
// identifiers its name is made of.
identifiers find_compiled_scenario(const std::filesystem::path& dir,
                                   const std::optional<std::string>& line_id,
                                   const std::optional<std::string>& train_code);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_IDENTIFIERS_H_
