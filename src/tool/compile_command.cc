#include "tool/compile_command.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "app/compilation.h"
#include "app/generator.h"
#include "line/line_text.h"
#include "model/compiled_files.h"
#include "service/service_text.h"
#include "tool/annotated_texts.h"
#include "tool/compile_record.h"
#include "tool/identifiers.h"
#include "tool/report.h"

namespace scenario::tool {
namespace fs = std::filesystem;
namespace {

// One file to write: its path and its writer.  The compiled files are
// listed in the report; the compile record beside them is not one of them.
struct pending_file {
  fs::path path;
  std::function<void(std::ostream&)> write;
  bool compiled = true;
};

std::function<void(std::ostream&)> bytes_of(std::shared_ptr<const std::string> bytes) {
  return [bytes](std::ostream& out) {
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  };
}

// The compiled files, then the record of the compilation that ties `report`
// to the table and segment files' bytes.
std::vector<pending_file> compiled_files(const scenario_records& r, const fs::path& dir,
                                         const compile_report& report) {
  std::ostringstream table, cells;
  write_general_table(table, r.general_table);
  write_segments(cells, r.segments);
  const auto table_bytes = std::make_shared<const std::string>(std::move(table).str());
  const auto cell_bytes = std::make_shared<const std::string>(std::move(cells).str());
  std::vector<pending_file> files;
  if (r.build_geometry != 0)
    files.push_back({dir / line_geometry_file_name(r.line_id),
                     [&r](std::ostream& out) { write_line_geometry(out, r.track_geometry); }});
  files.push_back({dir / table_file_name(r.line_id, r.train_code), bytes_of(table_bytes)});
  files.push_back({dir / segment_file_name(r.line_id, r.train_code), bytes_of(cell_bytes)});
  compile_report recorded = report;
  for (const pending_file& f : files) recorded.files.push_back(f.path.string());
  files.push_back({dir / compile_record_name(r.line_id, r.train_code),
                   bytes_of(std::make_shared<const std::string>(
                       compile_record_json(recorded, *table_bytes, *cell_bytes))),
                   false});
  return files;
}

// A text longer than its 16-bit byte count can say would make a table file
// the simulator misreads from that slot on: refuse to write it.
void check_table_texts(const general_table_t& table, const fs::path& path) {
  for (size_t slot = 0; slot < table.size(); ++slot) {
    const size_t n = table[slot].text.size();
    if (n > std::numeric_limits<uint16_t>::max())
      throw file_error("cannot write " + path.string() + ": the text of table slot " +
                       std::to_string(slot) + " is " + std::to_string(n) +
                       " bytes, more than the 65535 a table slot can hold");
  }
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

void refuse_overwriting_inputs(const std::vector<pending_file>& files,
                               const compile_options& options) {
  for (const pending_file& f : files)
    for (const std::string& input : {options.line_text, options.service_text})
      if (same_file(f.path, input))
        throw usage_error("the compiled file " + f.path.string() +
                          " would replace the source text " + input);
}

void make_directory(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw file_error("cannot create directory " + dir.string() + ": " + ec.message());
}

void emit(const compile_report& report, const compile_options& options, const source_texts& texts,
          std::ostream& out, std::ostream& err) {
  if (options.json) {
    out << report_json(report) << '\n';
    return;
  }
  print_diagnostics(err, report, {options.line_text, options.service_text}, texts, options.colour);
  if (options.werror && warning_count(report) > 0)
    err << "scenario-tool: error: " << warning_count(report)
        << (warning_count(report) == 1 ? " warning" : " warnings")
        << " treated as errors (--werror)\n";
  for (const std::string& f : report.files) out << "wrote " << f << '\n';
}

int exit_status(const compile_report& report, const compile_options& options) {
  if (report.failure_code != 0 || report.stamp_error != 0) return kExitFailure;
  return options.werror && warning_count(report) > 0 ? kExitFailure : kExitOk;
}

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  const identifiers ids = resolve_identifiers(options.line_text, options.service_text,
                                              options.line_id, options.train_code);
  // A missing line description is a file the author named and the tool
  // cannot read, like any other unreadable input: the run stops here.
  const std::string line = read_whole_file(options.line_text);
  const std::string service = read_whole_file(options.service_text);

  scenario_records records;
  records.line_id = ids.line_id;
  records.train_code = ids.train_code;
  const compilation result = compile_scenario(records, options.geometry ? 1 : 0, line, service);
  compile_report report = make_report(records, result, {options.line_text, options.service_text});
  if (options.no_warnings) hide_warnings(report);
  if (!result.compiled && records.failure_code == 0 && result.stamp_error == 0) {
    // Cannot happen with the readers as they are; never let it pass as success.
    report.diagnostics.push_back(
        {options.line_text, {}, {}, 25, "nothing to compile", severity::error, "25"});
    report.failure_code = 25;
  }

  if (options.write && result.compiled) {
    check_table_texts(records.general_table,
                      options.out_dir / table_file_name(records.line_id, records.train_code));
    const std::vector<pending_file> files = compiled_files(records, options.out_dir, report);
    refuse_overwriting_inputs(files, options);
    make_directory(options.out_dir);
    for (const pending_file& f : files) {
      replace_file(f.path, f.write);
      if (f.compiled) report.files.push_back(f.path.string());
    }
  }
  emit(report, options, {line, service}, out, err);
  return exit_status(report, options);
}

int run_template(const template_options& options, std::ostream& out, std::ostream& err) {
  check_identifier("line identifier", options.line_id);
  check_identifier("train code", options.train_code);
  const std::vector<std::pair<fs::path, std::string>> texts = {
      {options.dir / line_description_file_name(options.line_id),
       options.annotated ? annotated_line_description() : dati_linea()},
      {options.dir / train_service_file_name(options.line_id, options.train_code),
       options.annotated ? annotated_train_service() : dati_treno()}};
  std::error_code ec;
  for (const auto& [path, bytes] : texts) {
    if (!options.force && fs::exists(path, ec)) {
      err << "scenario-tool: error: " << path.string()
          << " already exists; it may hold an author's work (--force replaces it)\n";
      return kExitFile;
    }
  }
  make_directory(options.dir);
  for (const auto& [path, bytes] : texts) {
    replace_file(path, bytes);
    out << "wrote " << path.string() << '\n';
  }
  return kExitOk;
}

}  // namespace scenario::tool
