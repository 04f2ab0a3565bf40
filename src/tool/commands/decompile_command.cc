// `scenario-tool decompile`: finds the compiled scenario in a directory,
// decodes its files, recovers the texts and writes them.  Nothing is written
// unless every file could be read and decoded, and then both texts or none.
#include <set>
#include <system_error>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/compiled_files.h"
#include "format/decode.h"
#include "system/files.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/compiled_commands.h"
#include "tool/commands/identifiers.h"
#include "tool/decompile/decompile.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

bool present(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

std::set<fs::path> files_in(const fs::path& dir) {
  std::error_code ec;
  std::set<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) files.insert(e.path());
  if (ec) throw file_error("cannot read directory " + shown(dir) + ": " + ec.message());
  return files;
}

// Without a line geometry file (a scenario compiled without its route plan)
// the table file names the scenario: the only one there, whose slots 85
// and 86 hold the identifiers its name is made of.
std::pair<std::string, std::string> identifiers_from_table(const fs::path& dir) {
  std::set<fs::path> tables;
  for (const fs::path& f : files_in(dir))
    if (f.extension() == ".sim") tables.insert(f);
  const std::string flags = ": give --line-id and --train-code";
  if (tables.size() != 1)
    throw usage_error(std::string(tables.empty() ? "no" : "more than one") +
                      " compiled scenario in " + shown(dir) + flags);
  const fs::path& table = *tables.begin();
  general_table_t slots;
  try {
    slots = decode_general_table(read_whole_file(table, kMostTableBytes));
  } catch (const decode_error&) {
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  }
  const std::string line = slots[kSlotSceneryAndLine].text;
  const std::string train = slots[kSlotSignallingAndTrain].text;
  if (table.filename() != table_file_name(line, train))
    throw usage_error("cannot tell the identifiers of " + shown(table) + flags);
  return {line, train};
}

std::pair<std::string, std::string> identifiers_of(const decompile_options& o) {
  bool any_geometry = false;
  for (const fs::path& f : files_in(o.dir))
    any_geometry = any_geometry || f.filename().string().ends_with("_linea.dat");
  if (o.line_id || any_geometry) return find_scenario(o.dir, o.line_id, o.train_code);
  if (o.train_code) throw usage_error("give --line-id with --train-code");
  return identifiers_from_table(o.dir);
}

// The decoded files; a file that cannot be decoded is named with the offset
// where it stops making sense.
struct decoding {
  scenario_records records;
  std::optional<std::string> error;
};

decoding decode_files(const fs::path& dir, const std::string& line, const std::string& train) {
  decoding d;
  scenario_records& r = d.records;
  r.line_id = line;
  r.train_code = train;
  const fs::path geometry = dir / line_geometry_file_name(line);
  const fs::path table = dir / table_file_name(line, train);
  const fs::path segments = dir / segment_file_name(line, train);
  fs::path current = table;
  try {
    r.general_table = decode_general_table(read_whole_file(table, kMostTableBytes));
    current = segments;
    r.segments = decode_segments(read_whole_file(segments, kMostSegmentBytes));
    r.segment_last = static_cast<int32_t>(r.segments.size()) - 1;
    current = geometry;
    if (present(geometry)) {
      r.track_geometry = decode_line_geometry(read_whole_file(geometry, kMostGeometryBytes));
      r.build_geometry = 1;
      r.geometry_last = r.track_geometry.last();
    }
  } catch (const decode_error& e) {
    d.error = shown(current) + ": error: " + e.what();
  }
  return d;
}

void make_directory(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw file_error("cannot create directory " + shown(dir) + ": " + ec.message());
}

}  // namespace

int run_decompile(const decompile_options& options, std::ostream& out, std::ostream& err) {
  const auto [line, train] = identifiers_of(options);
  check_identifier("line identifier", line);
  check_identifier("train code", train);
  const std::vector<fs::path> texts = {options.out_dir / line_description_file_name(line),
                                       options.out_dir / train_service_file_name(line, train)};
  for (const fs::path& path : texts) {
    if (!options.force && present(path)) {
      err << "scenario-tool: error: " << shown(path)
          << " already exists; it may hold an author's work (--force replaces it)\n";
      return kExitFile;
    }
  }
  check_output_names(texts);
  decoding files = decode_files(options.dir, line, train);
  if (files.error) {
    err << *files.error << '\n';
    return kExitFile;
  }
  const recovered_texts recovered = decompile(files.records);
  files = {};  // the route plan may be tens of megabytes
  make_directory(options.out_dir);
  replace_files(std::vector<output_file>{{texts[0], recovered.line_description},
                                         {texts[1], recovered.train_service}});
  for (const std::string& w : recovered.warnings) err << "warning: " << w << '\n';
  if (!recovered.exact())
    for (const std::string& n : recovered.notes) err << "note: " << n << '\n';
  for (const fs::path& path : texts) out << "wrote " << shown(path) << '\n';
  return recovered.exact() ? kExitOk : kExitFailure;
}

}  // namespace scenario::tool
