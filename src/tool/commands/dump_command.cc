#include "tool/commands/dump_command.h"

#include "format/decode.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/identifiers.h"
#include "tool/exit_status.h"
#include "tool/report/dump.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace {

void print_listing(file_kind kind, const std::string& bytes, bool json, std::ostream& out) {
  switch (kind) {
    case file_kind::geometry: {
      const route_plan plan = decode_line_geometry(bytes);
      if (json)
        out << line_geometry_json(plan) << '\n';
      else
        list_line_geometry(out, plan);
      return;
    }
    case file_kind::table: {
      const general_table_t table = decode_general_table(bytes);
      if (json) {
        write_general_table_json(out, table);
        out << '\n';
      } else {
        list_general_table(out, table);
      }
      return;
    }
    case file_kind::segments: {
      const std::vector<track_segment> cells = decode_segments(bytes);
      if (json) {
        write_segments_json(out, cells);
        out << '\n';
      } else {
        list_segments(out, cells);
      }
      return;
    }
  }
}

// The kind the flag names, else the one the file's name tells.
std::optional<file_kind> kind_of(const dump_options& options) {
  if (!options.kind) return compiled_kind_of_name(platform::utf8_of(options.file.filename()));
  file_kind kind = file_kind::segments;
  if (!kind_from_word(*options.kind, kind)) return std::nullopt;
  return kind;
}

}  // namespace

int run_dump(const dump_options& options, std::ostream& out, std::ostream& err) {
  const std::optional<file_kind> kind = kind_of(options);
  if (!kind)
    throw usage_error("cannot tell which compiled file " + shown(options.file) +
                      " is (its name ends neither in _linea.dat, .sim nor .dat): give --kind");
  const std::string bytes = read_regular_file(options.file, most_bytes(*kind));
  try {
    print_listing(*kind, bytes, options.json, out);
  } catch (const decode_error& e) {
    const std::string what = "not a " + std::string(kind_word(*kind)) + " file: " + e.what();
    err << shown(options.file) << ": error: " << what << '\n';
    if (options.json) out << error_json(shown(options.file) + ": " + what, kExitFile) << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace scenario::tool
