// `compile` and `check`: an author's source texts compiled exactly as the
// generator does, the compiled files written (`compile`) or not (`check`);
// and `documents`: the driver's documents of the scenario written instead
// (or, with `compile --documents`, beside the compiled files).
#ifndef SCENARIO_TOOL_COMPILE_COMMAND_H_
#define SCENARIO_TOOL_COMPILE_COMMAND_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "documents/documents_from_scenario.h"

namespace scenario::tool {

struct compile_options {
  std::string line_text;
  std::string service_text;
  std::optional<std::string> line_id;
  std::optional<std::string> train_code;
  std::filesystem::path out_dir = ".";
  bool geometry = true;
  bool write = true;  // false for `check`
  bool json = false;
  bool werror = false;       // any warning makes the exit status 1
  bool no_warnings = false;  // warnings are not reported (nor counted by werror)
  bool colour = false;       // standard error is a terminal that takes colour
  // Ids of losses (and warnings) the author means: reported as allowed
  // warnings, which neither fail the compilation nor count for werror.
  std::vector<std::string> allowed;
  bool wait = true;  // false: refuse when another run is writing into out_dir
  // The driver's documents, written in the same replacement as the compiled
  // files, and only when the compilation succeeds.
  bool documents = false;
  bool compiled_files = true;  // false for `documents`: the documents alone
  document_options document;
  std::optional<std::string> notes_file;  // the author's notes, UTF-8 path
};

// Compiles; diagnostics go to `err` (text) or `out` (JSON).  Returns the
// exit status.  The source texts are only ever read.
int run_compile(const compile_options& options, std::ostream& out, std::ostream& err);

// What a command says when it has waited a second for `holder`, another
// run writing into `dir`.
std::function<void(const std::string& holder)> waiting_note(std::ostream& err,
                                                            const std::filesystem::path& dir);

// Refuses (usage_error) outputs that are one of the inputs, under their
// own names or any other (a link, a second name of the same file).
void refuse_replacing_inputs(const std::vector<std::filesystem::path>& outputs,
                             std::string_view output_noun,
                             const std::vector<std::filesystem::path>& inputs,
                             std::string_view input_noun);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_COMPILE_COMMAND_H_
