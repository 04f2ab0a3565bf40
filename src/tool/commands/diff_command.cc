#include "tool/commands/diff_command.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/fingerprint.h"
#include "format/load_scenario.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/identifiers.h"
#include "tool/diff/diff_json.h"
#include "tool/diff/diff_text.h"
#include "tool/diff/scenario_diff.h"
#include "tool/exit_status.h"
#include "tool/report/compile_record.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

// A side that gives no scenario to compare; what() is the one line that
// says which file and why.
class unusable_side : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

bool is_folder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool present(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// A compiled scenario in a directory, with the note plot and view give
// when the files are not known to be one whole set.
loaded_scenario load_directory(const fs::path& dir, const diff_options& options,
                               const loaded_scenario* like, std::ostream& err) {
  const identifiers ids = find_compiled_scenario(dir, options.line_id, options.train_code);
  loaded_scenario loaded;
  try {
    loaded = load_scenario(dir, ids, like);
  } catch (const compiled_file_error& e) {
    throw unusable_side(shown(e.file()) + ": error: " + e.what());
  }
  const fs::path record = path_in(dir, compile_record_name(ids.line_id, ids.train_code));
  const set_record found = read_set_record_file(record, loaded.fingerprints);
  if (const std::string note = set_record_note(found, shown(record)); !note.empty())
    err << "scenario-tool: note: " << note << '\n';
  if (found.failure) {
    err << "scenario-tool: note: " << shown(dir) << " was compiled with failure "
        << found.failure->code;
    if (found.failure->position) err << " at " << *found.failure->position << " m";
    err << ": it holds what was read before the failure\n";
  }
  return loaded;
}

// Two source texts compiled in memory, and read back from the bytes compile
// would write, so that they compare as the files would.
loaded_scenario compile_texts(const std::string& given, size_t comma, const diff_options& options,
                              std::ostream& err) {
  const std::string line_path = given.substr(0, comma), service_path = given.substr(comma + 1);
  const identifiers ids =
      resolve_identifiers(line_path, service_path, options.line_id, options.train_code);
  const std::string line = read_whole_file(platform::path_from_utf8(line_path));
  const std::string service = read_whole_file(platform::path_from_utf8(service_path));
  scenario_records records;
  records.line_id = ids.line_id;
  records.train_code = ids.train_code;
  const compilation result = compile_scenario(records, true, line, service);
  if (!result.compiled || result.stamp_error != 0) {
    throw unusable_side(
        shortened(given) + ": error: the texts give no compiled files (failure " +
        std::to_string(result.stamp_error != 0 ? result.stamp_error : records.failure_code) +
        "); scenario-tool check tells why");
  }
  if (records.failure_code != 0)
    err << "scenario-tool: note: " << shortened(given) << " compiles with failure "
        << records.failure_code << " at " << records.failure_position
        << " m; compared as compile would write it\n";
  const compiled_bytes files = compiled_files_bytes(records);
  records = {};  // its route plan may be twenty megabytes, as the bytes are
  loaded_scenario loaded;
  try {
    loaded.records = decode_scenario(ids, files);
  } catch (const compiled_file_error& e) {
    // The compilation refuses what its files cannot hold; never let it pass.
    throw unusable_side(shortened(given) + ": error: the compiled " + shown(e.file()) +
                        " does not read back: " + e.what());
  }
  loaded.fingerprints = {files.geometry.empty() ? std::string() : fingerprint(files.geometry),
                         fingerprint(files.table), fingerprint(files.segments)};
  return loaded;
}

// `like`, the side loaded before, lends its route plan when the plans'
// bytes are the same.
loaded_scenario load_side(const std::string& given, const diff_options& options,
                          const loaded_scenario* like, std::ostream& err) {
  const fs::path path = platform::path_from_utf8(given);
  if (is_folder(path)) return load_directory(path, options, like, err);
  if (const size_t comma = given.find(','); comma != std::string::npos && !present(path))
    return compile_texts(given, comma, options, err);
  if (!present(path)) throw file_error("cannot read " + shown(path) + ": no such directory");
  throw usage_error(shown(path) +
                    " is not a directory: give the directory of a compiled scenario, or its "
                    "two source texts as LINE_TXT,SERVICE_TXT");
}

}  // namespace

int run_diff(const diff_options& options, std::ostream& out, std::ostream& err) {
  if (options.context < 0) throw usage_error("--context must be 0 or more");
  loaded_scenario old_side, new_side;
  try {
    old_side = load_side(options.old_side, options, nullptr, err);
    new_side = load_side(options.new_side, options, &old_side, err);
  } catch (const unusable_side& e) {
    err << e.what() << '\n';
    if (options.json) out << error_json(e.what(), kExitFile) << '\n';
    return kExitFile;
  }
  const scenario_records& old_scenario = old_side.records;
  const scenario_records& new_scenario = new_side.records;
  const scenario_diff diff = diff_scenarios(old_scenario, new_scenario);
  if (options.json) {
    write_diff_json(out, diff, options.old_side, options.new_side);
    out << '\n';
  } else {
    write_diff_text(out, diff, {&new_scenario.segments, &old_scenario.segments, options.context});
  }
  return diff.empty() ? kExitOk : kExitFailure;
}

}  // namespace scenario::tool
