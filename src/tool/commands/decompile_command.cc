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

// Without a line geometry file (a scenario compiled without its route plan)
// the table file names the scenario: the only one there, whose slots 85
// and 86 hold the identifiers its name is made of.
identifiers identifiers_from_table(const fs::path& dir, const std::set<std::string>& names) {
  std::set<std::string> tables;
  for (const std::string& name : names)
    if (scenario_of_table_name(name)) tables.insert(name);
  const std::string flags = ": give --line-id and --train-code";
  if (tables.size() != 1)
    throw usage_error(std::string(tables.empty() ? "no" : "more than one") +
                      " compiled scenario in " + shown(dir) + flags);
  const fs::path table = path_in(dir, *tables.begin());
  general_table_t slots;
  try {
    slots = decode_general_table(read_regular_file(table, kMostTableBytes));
  } catch (const decode_error&) {
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  }
  identifiers ids{slots[kSlotSceneryAndLine].text, slots[kSlotSignallingAndTrain].text};
  if (*tables.begin() != table_file_name(ids.line_id, ids.train_code))
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  return ids;
}

identifiers identifiers_of(const decompile_options& o) {
  const std::set<std::string> names = file_names_in(o.dir);
  bool any_geometry = false;
  for (const std::string& name : names)
    any_geometry = any_geometry || compiled_kind_of_name(name) == file_kind::geometry;
  if (o.line_id || any_geometry) return find_scenario(o.dir, o.line_id, o.train_code);
  if (o.train_code) throw usage_error("give --line-id with --train-code");
  return identifiers_from_table(o.dir, names);
}

}  // namespace

int run_decompile(const decompile_options& options, std::ostream& out, std::ostream& err) {
  const identifiers ids = identifiers_of(options);
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
