// The line identifier and the train code of an author's scenario: taken
// from the command line or from the names of the source texts, and checked
// so that every file name built from them stays inside its directory.
#ifndef SCENARIO_TOOL_IDENTIFIERS_H_
#define SCENARIO_TOOL_IDENTIFIERS_H_

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario::tool {

// A command line the tool cannot act on; what() says why.
class usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct identifiers {
  std::string line_id;
  std::string train_code;
};

// "<line>_linea.txt" gives <line>; any other name gives nothing.
std::optional<std::string> line_id_from_name(std::string_view file_name);

// "<line>_<train>-.txt" gives <train> for the given <line>.
std::optional<std::string> train_code_from_name(std::string_view file_name,
                                                std::string_view line_id);

// Refuses (usage_error) an identifier that is empty, that would take a file
// name out of its directory (a slash, a backslash, ".."), or that carries a
// control byte (0x00-0x1F, 0x7F) into file names and messages.
void check_identifier(std::string_view what, std::string_view id);

// The flags when given, else the names of the two source texts (paths: only
// their last component counts).  Throws usage_error when neither tells.
identifiers resolve_identifiers(std::string_view line_path, std::string_view service_path,
                                const std::optional<std::string>& line_flag,
                                const std::optional<std::string>& train_flag);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_IDENTIFIERS_H_
