#include "tool/commands/compiled_commands.h"

#include <set>
#include <system_error>

#include "format/compiled_files.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/identifiers.h"
#include "tool/picture/plot.h"
#include "tool/picture/view.h"
#include "tool/report/compile_record.h"
#include "tool/report/dump.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

bool ends_with(std::string_view s, std::string_view end) {
  return s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

std::set<std::string> names_in(const fs::path& dir) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) throw file_error("cannot read directory " + shown(dir) + ": " + ec.message());
  std::set<std::string> names;
  for (const fs::directory_entry& e : it) names.insert(platform::utf8_of(e.path().filename()));
  return names;
}

std::string only_one(const std::set<std::string>& found, const fs::path& dir, std::string_view what,
                     std::string_view flag) {
  if (found.size() == 1) return *found.begin();
  if (found.empty())
    throw usage_error("no " + std::string(what) + " in " + shown(dir) + ": give " +
                      std::string(flag));
  std::string names;
  for (const std::string& f : found) names += (names.empty() ? "" : ", ") + f;
  throw usage_error("more than one " + std::string(what) + " in " + shown(dir) + " (" +
                    shortened(names, 2 * kQuotedBytes) + "): give " + std::string(flag));
}

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
      if (json)
        out << general_table_json(table) << '\n';
      else
        list_general_table(out, table);
      return;
    }
    case file_kind::segments: {
      const std::vector<track_segment> cells = decode_segments(bytes);
      if (json)
        out << segments_json(cells) << '\n';
      else
        list_segments(out, cells);
      return;
    }
  }
}

// The failure `compile` recorded for these files, when its record is there
// and is theirs; an unreadable record is as good as none.
std::optional<recorded_failure> recorded_failure_in(const fs::path& record,
                                                    std::string_view table_bytes,
                                                    std::string_view segment_bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(record, ec)) return std::nullopt;
  try {
    return recorded_failure_of(read_whole_file(record), table_bytes, segment_bytes);
  } catch (const file_error&) {
    return std::nullopt;
  }
}

}  // namespace

int run_dump(const dump_options& options, std::ostream& out, std::ostream& err) {
  file_kind kind = file_kind::segments;
  if (options.kind ? !kind_from_word(*options.kind, kind)
                   : !kind_from_name(options.file.filename().string(), kind))
    throw usage_error("cannot tell which compiled file " + shown(options.file) +
                      " is (its name ends neither in _linea.dat, .sim nor .dat): give --kind");
  const std::string bytes = read_whole_file(options.file, most_bytes(kind));
  try {
    print_listing(kind, bytes, options.json, out);
  } catch (const decode_error& e) {
    const std::string what = "not a " + std::string(kind_word(kind)) + " file: " + e.what();
    err << shown(options.file) << ": error: " << what << '\n';
    if (options.json) out << error_json(shown(options.file) + ": " + what, kExitFile) << '\n';
    return kExitFile;
  }
  return kExitOk;
}

std::pair<std::string, std::string> find_scenario(const fs::path& dir,
                                                  const std::optional<std::string>& line_id,
                                                  const std::optional<std::string>& train_code) {
  std::set<std::string> names;
  if (!line_id || !train_code) names = names_in(dir);
  std::string line;
  if (line_id) {
    line = *line_id;
  } else {
    std::set<std::string> lines;
    for (const std::string& n : names)
      if (ends_with(n, "_linea.dat")) lines.insert(n.substr(0, n.size() - 10));
    line = only_one(lines, dir, "line geometry file (<line>_linea.dat)", "--line-id");
  }
  check_identifier("line identifier", line);
  std::string train;
  if (train_code) {
    train = *train_code;
  } else {
    std::set<std::string> trains;
    for (const std::string& n : names)
      if (n.size() > line.size() + 5 && n.compare(0, line.size() + 1, line + "_") == 0 &&
          ends_with(n, ".sim"))
        trains.insert(n.substr(line.size() + 1, n.size() - line.size() - 5));
    train = only_one(trains, dir, "table file (" + line + "_<train>.sim)", "--train-code");
  }
  check_identifier("train code", train);
  return {line, train};
}

namespace {

// Reads the compiled scenario that `options` names and settles where its
// picture goes (never onto one of its own files); a file that is not what
// its name says is reported on `err` and gives nothing.
std::optional<plot_input> load_scenario(const plot_options& options, std::string_view extension,
                                        fs::path& output, std::ostream& err) {
  const auto [line, train] = find_scenario(options.dir, options.line_id, options.train_code);
  plot_input in;
  in.line_id = line;
  in.train_code = train;
  const fs::path geometry = options.dir / platform::path_from_utf8(line_geometry_file_name(line));
  const fs::path table = options.dir / platform::path_from_utf8(table_file_name(line, train));
  const fs::path segments = options.dir / platform::path_from_utf8(segment_file_name(line, train));
  output = options.output.value_or(
      options.dir / platform::path_from_utf8(line + "_" + train + std::string(extension)));
  refuse_replacing_inputs({output}, "picture", {table, segments, geometry}, "compiled file");
  fs::path current = table;
  try {
    const std::string table_bytes = read_whole_file(table, kMostTableBytes);
    in.table = decode_general_table(table_bytes);
    current = segments;
    const std::string segment_bytes = read_whole_file(segments, kMostSegmentBytes);
    in.segments = decode_segments(segment_bytes);
    in.failure = recorded_failure_in(
        options.dir / platform::path_from_utf8(compile_record_name(line, train)), table_bytes,
        segment_bytes);
    std::error_code ec;
    current = geometry;
    if (fs::exists(geometry, ec))
      in.plan = decode_line_geometry(read_whole_file(geometry, kMostGeometryBytes));
  } catch (const decode_error& e) {
    err << shown(current) << ": error: " << e.what() << '\n';
    return std::nullopt;
  }
  return in;
}

// Writes a picture of the scenario beside it (or where `options` says).
int write_picture(const plot_options& options, std::string_view extension,
                  std::string (*render)(const plot_input&), std::ostream& out, std::ostream& err) {
  fs::path output;
  const std::optional<plot_input> in = load_scenario(options, extension, output, err);
  if (!in) return kExitFile;
  const size_t left_out = in->plan ? unplottable_metres(*in->plan) : 0;
  if (left_out > 0)
    err << "scenario-tool: warning: " << left_out
        << " metres of the route plan hold a coordinate that is not a finite number; the "
           "picture leaves them out\n";
  replace_file(output, render(*in));
  out << "wrote " << shown(output) << '\n';
  return kExitOk;
}

}  // namespace

int run_plot(const plot_options& options, std::ostream& out, std::ostream& err) {
  return write_picture(options, ".svg", render_svg, out, err);
}

int run_view(const view_options& options, std::ostream& out, std::ostream& err) {
  return write_picture(options, ".html", render_view_html, out, err);
}

}  // namespace scenario::tool
