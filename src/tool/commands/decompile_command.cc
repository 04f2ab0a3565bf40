// Finds the compiled scenario in a directory, decodes its files, recovers the
// texts and writes them.  Nothing is written unless every file could be read
// and decoded, and then both texts or none.
#include "tool/commands/decompile_command.h"

#include <set>
#include <system_error>
#include <vector>

#include "format/decode.h"
#include "format/load_scenario.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/identifiers.h"
#include "tool/decompile/decompile.h"
#include "tool/exit_status.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

bool present(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

}  // namespace

int run_decompile(const decompile_options& options, std::ostream& out, std::ostream& err) {
  const identifiers ids = find_compiled_scenario(options.dir, options.line_id, options.train_code);
  check_identifier("line identifier", ids.line_id);
  check_identifier("train code", ids.train_code);
  const std::vector<fs::path> texts = {
      path_in(options.out_dir, line_description_file_name(ids.line_id)),
      path_in(options.out_dir, train_service_file_name(ids.line_id, ids.train_code))};
  for (const fs::path& path : texts) {
    if (!options.force && present(path)) {
      err << "scenario-tool: error: " << shown(path)
          << " already exists; it may hold an author's work (--force replaces it)\n";
      return kExitFile;
    }
  }
  check_output_names(texts);
  loaded_scenario files;
  try {
    files = load_scenario(options.dir, ids);
  } catch (const compiled_file_error& e) {
    err << shown(e.file()) << ": error: " << e.what() << '\n';
    return kExitFile;
  }
  const recovered_texts recovered = decompile(files.records);
  files = {};  // the route plan may be tens of megabytes
  make_directories(options.out_dir);
  const held_folder held(options.out_dir, texts, "scenario-tool decompile", options.wait,
                         waiting_note(err, options.out_dir));
  replace_files(std::vector<output_file>{{texts[0], recovered.line_description},
                                         {texts[1], recovered.train_service}});
  for (const std::string& w : recovered.warnings) err << "warning: " << w << '\n';
  if (!recovered.exact())
    for (const std::string& n : recovered.notes) err << "note: " << n << '\n';
  for (const fs::path& path : texts) out << "wrote " << shown(path) << '\n';
  return recovered.exact() ? kExitOk : kExitFailure;
}

}  // namespace scenario::tool
