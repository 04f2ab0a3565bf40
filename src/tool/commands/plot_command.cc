#include "tool/commands/plot_command.h"

#include "format/load_scenario.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/terminal_text.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/identifiers.h"
#include "tool/exit_status.h"
#include "tool/report/compile_record.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

// The loaded scenario as the pictures take it; says on `err` when the files
// are not known to be one whole set.
plot_input picture_input(loaded_scenario&& loaded, const fs::path& dir, std::ostream& err) {
  scenario_records& r = loaded.records;
  const fs::path record_path = path_in(dir, compile_record_name(r.line_id, r.train_code));
  const set_record record = read_set_record_file(record_path, loaded.fingerprints);
  if (const std::string note = set_record_note(record, shown(record_path)); !note.empty())
    err << "scenario-tool: note: " << note << '\n';
  plot_input in;
  in.failure = record.failure;
  in.line_id = std::move(r.line_id);
  in.train_code = std::move(r.train_code);
  in.table = std::move(r.general_table);
  in.segments = std::move(r.segments);
  if (r.build_geometry != 0) in.plan = std::move(r.track_geometry);
  return in;
}

// Reads the compiled scenario that `options` names and settles where its
// picture goes (never onto one of its own files); a file that is not what
// its name says is reported on `err` and gives nothing.
std::optional<plot_input> read_scenario(const plot_options& options, std::string_view extension,
                                        fs::path& output, std::ostream& err) {
  const identifiers ids = find_scenario(options.dir, options.line_id, options.train_code);
  const std::vector<fs::path> inputs = {
      path_in(options.dir, table_file_name(ids.line_id, ids.train_code)),
      path_in(options.dir, segment_file_name(ids.line_id, ids.train_code)),
      path_in(options.dir, line_geometry_file_name(ids.line_id))};
  output = options.output.value_or(path_in(options.dir, picture_file_name(ids, extension)));
  refuse_replacing_inputs({output}, "picture", inputs, "compiled file");
  try {
    return picture_input(load_scenario(options.dir, ids), options.dir, err);
  } catch (const compiled_file_error& e) {
    err << shown(e.file()) << ": error: " << e.what() << '\n';
    return std::nullopt;
  }
}

}  // namespace

int write_picture(const plot_options& options, std::string_view extension,
                  std::string (*render)(const plot_input&), std::ostream& out, std::ostream& err) {
  fs::path output;
  const std::optional<plot_input> in = read_scenario(options, extension, output, err);
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

int run_plot(const plot_options& options, std::ostream& out, std::ostream& err) {
  return write_picture(options, ".svg", render_svg, out, err);
}

}  // namespace scenario::tool
