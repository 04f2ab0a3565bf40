#include "tool/commands/compile_command.h"

#include <limits>
#include <system_error>
#include <vector>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/compiled_set.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/commands/identifiers.h"
#include "tool/exit_status.h"
#include "tool/report/compile_record.h"
#include "tool/report/further_errors.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

// The compiled files and, renamed last, the record of the compilation that
// made them: a reader that finds the record matching the files knows the
// set is whole.
void write_compiled_set(const scenario_records& r, const fs::path& dir,
                        const compile_report& report) {
  const compiled_set set(r, dir);
  std::vector<output_file> files = set.files();
  const std::string record = compile_record_json(report, set.fingerprints());
  files.push_back({path_in(dir, compile_record_name(r.line_id, r.train_code)), record});
  replace_files(files);
}

// A text longer than its 16-bit byte count can say would make a table file
// the simulator misreads from that slot on: refuse to write it.
void check_table_texts(const general_table_t& table, const fs::path& path) {
  for (size_t slot = 0; slot < table.size(); ++slot) {
    const size_t n = table[slot].text.size();
    if (n > std::numeric_limits<uint16_t>::max())
      throw file_error("cannot write " + shown(path) + ": the text of table slot " +
                       std::to_string(slot) + " is " + std::to_string(n) +
                       " bytes, more than the 65535 a table slot can hold");
  }
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

void emit(const compile_report& report, const compile_options& options, const source_texts& texts,
          std::ostream& out, std::ostream& err) {
  if (options.json) {
    json_writer w(out, 2, true);
    write_report_json(w, report);
    w.flush();
    out << '\n';
    return;
  }
  print_diagnostics(err, report, {options.line_text, options.service_text}, texts, options.colour);
  if (options.werror && warning_count(report) > 0)
    err << "scenario-tool: error: " << warning_count(report)
        << (warning_count(report) == 1 ? " warning" : " warnings")
        << " treated as errors (--werror)\n";
  for (const std::string& f : report.files)
    out << "wrote " << shown(platform::path_from_utf8(f)) << '\n';
}

// Only what the readers pass over or change can be allowed; a numbered
// failure stops the reading and stays an error.
void refuse_unknown_allowances(const std::vector<std::string>& ids) {
  for (const std::string& id : ids) {
    const explanation* e = find_explanation(id);
    if (e == nullptr)
      throw usage_error("--allow \"" + shortened(id) + "\"" +
                        ": no such diagnostic (scenario-tool explain lists them)");
    if (is_numbered(*e))
      throw usage_error("--allow \"" + shortened(id) + "\"" +
                        ": a numbered failure stops the reading and cannot be allowed");
  }
}

int exit_status(const compile_report& report, const compile_options& options) {
  if (report.failure_code != 0 || report.stamp_error != 0 || error_count(report) > 0)
    return kExitFailure;
  return options.werror && warning_count(report) > 0 ? kExitFailure : kExitOk;
}

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  refuse_unknown_allowances(options.allowed);
  const identifiers ids = resolve_identifiers(options.line_text, options.service_text,
                                              options.line_id, options.train_code);
  // What would stop the writing stops `check` as well, and before anything
  // is read, compiled or written.
  const std::vector<fs::path> paths =
      compiled_file_paths(ids.line_id, ids.train_code, options.geometry, options.out_dir);
  std::vector<fs::path> written = paths;
  written.push_back(path_in(options.out_dir, compile_record_name(ids.line_id, ids.train_code)));
  refuse_replacing_inputs(
      written, "compiled file",
      {platform::path_from_utf8(options.line_text), platform::path_from_utf8(options.service_text)},
      "source text");
  check_output_names(written);
  // A missing line description is a file the author named and the tool
  // cannot read, like any other unreadable input: the run stops here.
  const std::string line = read_whole_file(platform::path_from_utf8(options.line_text));
  const std::string service = read_whole_file(platform::path_from_utf8(options.service_text));

  scenario_records records;
  records.line_id = ids.line_id;
  records.train_code = ids.train_code;
  const compilation result = compile_scenario(records, options.geometry ? 1 : 0, line, service);
  compile_report report = make_report(records, result, {options.line_text, options.service_text});
  allow(report, options.allowed);
  if (options.no_warnings) hide_warnings(report);
  if (!result.compiled && records.failure_code == 0 && result.stamp_error == 0) {
    // Cannot happen with the readers as they are; never let it pass as success.
    report.diagnostics.push_back(
        {options.line_text, {}, {}, 25, "nothing to compile", severity::error, "25"});
    report.failure_code = 25;
  }

  if (result.compiled) {
    check_table_texts(records.general_table, paths[paths.size() - 2]);
    if (options.write) {
      make_directories(options.out_dir);
      const held_folder held(options.out_dir, written, "scenario-tool compile", options.wait,
                             waiting_note(err, options.out_dir));
      for (const fs::path& p : paths) report.files.push_back(p.string());
      write_compiled_set(records, options.out_dir, report);
    }
  }
  // Only now, so that neither the compiled files nor the record see them.
  const source_names names{options.line_text, options.service_text};
  add_further_errors(report, find_further_errors(records, result, {line, service}, names), names);
  allow(report, options.allowed);
  if (options.no_warnings) hide_warnings(report);
  emit(report, options, {line, service}, out, err);
  return exit_status(report, options);
}

std::function<void(const std::string&)> waiting_note(std::ostream& err, const fs::path& dir) {
  return [&err, dir](const std::string& holder) {
    err << "scenario-tool: waiting for " << holder << " to finish writing into " << shown(dir)
        << '\n';
  };
}

void refuse_replacing_inputs(const std::vector<fs::path>& outputs, std::string_view output_noun,
                             const std::vector<fs::path>& inputs, std::string_view input_noun) {
  for (const fs::path& output : outputs)
    for (const fs::path& input : inputs)
      if (same_file(output, input))
        throw usage_error("the " + std::string(output_noun) + " " + shown(output) +
                          " would replace the " + std::string(input_noun) + " " + shown(input));
}

}  // namespace scenario::tool
