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

// The compiled files, the documents and, renamed last, the record of the
// compilation that made them: a reader that finds the record matching the
// files knows the set is whole.
void write_compiled_set(const scenario_records& r, const fs::path& dir,
                        const compile_report& report, const std::vector<output_file>& documents) {
  const compiled_set set(r, dir);
  std::vector<output_file> files = set.files();
  files.insert(files.end(), documents.begin(), documents.end());
  const std::string record = compile_record_json(report, set.fingerprints());
  files.push_back({path_in(dir, compile_record_name(r.line_id, r.train_code)), record});
  replace_files(files);
}

constexpr document kDocuments[] = {document::train_sheet, document::slow_orders, document::notes};

std::vector<fs::path> document_paths(const identifiers& ids, const fs::path& dir) {
  std::vector<fs::path> paths;
  for (document which : kDocuments)
    paths.push_back(path_in(dir, document_file_name(ids.line_id, ids.train_code, which)));
  return paths;
}

// The documents' warnings among the compilation's, at the text they come
// from where there is one.
void add_document_warnings(compile_report& report, const std::vector<document_warning>& warnings,
                           const compile_options& options) {
  for (const document_warning& w : warnings) {
    std::optional<std::string> file;
    if (w.source == document_source::train_service) file = options.service_text;
    if (w.source == document_source::notes) file = options.notes_file;
    report.diagnostics.push_back(
        {file, w.line, std::nullopt, 0, w.message, severity::warning, std::string(w.id)});
  }
  allow(report, options.allowed);
  if (options.no_warnings) hide_warnings(report);
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

// A scenario that does not compile cleanly gets no documents: a timetable
// from texts the compiler refused would mislead the driver.
bool compiled_cleanly(const compile_report& report) {
  return report.failure_code == 0 && report.stamp_error == 0 && error_count(report) == 0;
}

// The documents, and their warnings added to the report; none when the
// compilation failed, or when their warnings fail it (--werror).
std::vector<std::string> make_documents(const scenario_records& records, bool compiled,
                                        compile_report& report, const compile_options& options,
                                        const std::optional<std::string>& notes) {
  if (!options.documents || !compiled || !compiled_cleanly(report)) return {};
  document_options chosen = options.document;
  chosen.notes = notes;
  scenario_documents d = documents_from_scenario(records, chosen);
  add_document_warnings(report, d.warnings, options);
  if (exit_status(report, options) != kExitOk) return {};
  return {std::move(d.train_sheet), std::move(d.slow_orders), std::move(d.notes)};
}

// What a run writes: the compiled files and their record, the documents, or
// both; checked before anything is read, so that what would stop the
// writing stops `check` as well.
struct planned_outputs {
  std::vector<fs::path> compiled;   // without the record
  std::vector<fs::path> documents;  // empty unless asked for
  std::vector<fs::path> written;    // every name the run may write, the record last
};

planned_outputs plan_outputs(const identifiers& ids, const compile_options& options) {
  planned_outputs p;
  p.compiled = compiled_file_paths(ids.line_id, ids.train_code, options.geometry, options.out_dir);
  if (options.documents) p.documents = document_paths(ids, options.out_dir);
  if (options.compiled_files) p.written = p.compiled;
  p.written.insert(p.written.end(), p.documents.begin(), p.documents.end());
  if (options.compiled_files)
    p.written.push_back(path_in(options.out_dir, compile_record_name(ids.line_id, ids.train_code)));
  const char* noun = options.compiled_files ? "compiled file" : "document";
  refuse_replacing_inputs(
      p.written, noun,
      {platform::path_from_utf8(options.line_text), platform::path_from_utf8(options.service_text)},
      "source text");
  if (options.notes_file)
    refuse_replacing_inputs(p.written, noun, {platform::path_from_utf8(*options.notes_file)},
                            "notes file");
  check_output_names(p.written);
  return p;
}

// Writes what the run has to write, all in one replacement, while the run
// holds the folder; the report lists the files.
void write_outputs(const scenario_records& records, bool compiled, const planned_outputs& plan,
                   const std::vector<output_file>& documents, compile_report& report,
                   const compile_options& options, std::ostream& err) {
  const bool writes_compiled = compiled && options.compiled_files;
  if (writes_compiled) check_table_texts(records.general_table, plan.compiled.end()[-2]);
  if (!options.write || (!writes_compiled && documents.empty())) return;
  make_directories(options.out_dir);
  const held_folder held(options.out_dir, plan.written,
                         writes_compiled ? "scenario-tool compile" : "scenario-tool documents",
                         options.wait, waiting_note(err, options.out_dir));
  if (writes_compiled)
    for (const fs::path& p : plan.compiled) report.files.push_back(p.string());
  for (const output_file& f : documents) report.files.push_back(f.path.string());
  if (writes_compiled)
    write_compiled_set(records, options.out_dir, report, documents);
  else
    replace_files(documents);
}

// Why documents asked for were not written, and what became of the folder.
void note_documents_not_written(const compile_report& report, const compile_options& options,
                                std::ostream& err) {
  err << "scenario-tool: note: the documents were not written: "
      << (compiled_cleanly(report) ? "--werror counts the warnings as errors"
                                   : "the scenario does not compile")
      << (options.compiled_files ? "; documents written there before are left as they were"
                                 : "; the folder is left as it was")
      << '\n';
}

}  // namespace

int run_compile(const compile_options& options, std::ostream& out, std::ostream& err) {
  refuse_unknown_allowances(options.allowed);
  const identifiers ids = resolve_identifiers(options.line_text, options.service_text,
                                              options.line_id, options.train_code);
  const planned_outputs plan = plan_outputs(ids, options);
  // A missing line description is a file the author named and the tool
  // cannot read, like any other unreadable input: the run stops here.
  const std::string line = read_whole_file(platform::path_from_utf8(options.line_text));
  const std::string service = read_whole_file(platform::path_from_utf8(options.service_text));
  std::optional<std::string> notes;
  if (options.notes_file) notes = read_whole_file(platform::path_from_utf8(*options.notes_file));

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

  const std::vector<std::string> document_bytes =
      make_documents(records, result.compiled, report, options, notes);
  std::vector<output_file> documents;
  for (size_t i = 0; i < document_bytes.size(); ++i)
    documents.push_back({plan.documents[i], document_bytes[i]});
  write_outputs(records, result.compiled, plan, documents, report, options, err);
  // Only now, so that neither the compiled files nor the record see them.
  const source_names names{options.line_text, options.service_text};
  add_further_errors(report, find_further_errors(records, result, {line, service}, names), names);
  allow(report, options.allowed);
  if (options.no_warnings) hide_warnings(report);
  emit(report, options, {line, service}, out, err);
  if (options.documents && options.write && documents.empty())
    note_documents_not_written(report, options, err);
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
