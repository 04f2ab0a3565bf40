#include "tool/report/report.h"

#include <algorithm>
#include <sstream>

#include "compile/failure_messages.h"
#include "model/fields.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "system/platform.h"
#include "system/terminal_text.h"
#include "tool/report/dump.h"
#include "tool/report/json_writer.h"

namespace scenario::tool {
namespace {

bool is_stamp_error(int32_t code) { return code == kStampTaken || code == kCheckCodeTaken; }

// Failures the track-code pass records after reading: no text holds them.
bool is_track_code_failure(int32_t code) { return code >= 11 && code <= 13; }

const std::string& name_of(source_kind text, const source_names& names) {
  return text == source_kind::line_description ? names.line_description : names.train_service;
}

void point_at(diagnostic& d, source_kind text, text_position where, const source_names& names) {
  d.file = name_of(text, names);
  d.line = where.line;
  d.column = where.column;
}

// The entry a track-code failure concerns: the signal on the failure's cell
// (11), or the slowdown whose start is the nearest at or before it (12, 13).
const placed_mark* track_code_entry(const scenario_records& records, const reading_outcome& reading,
                                    int32_t code, int32_t position) {
  int64_t cell = position / kSegmentMetres;
  if (code != 11) {
    while (cell > 0 && cell <= records.segment_last &&
           records.segments[static_cast<size_t>(cell)].kind != kSlowdownStart)
      --cell;
  }
  return reading.marks.find(cell);
}

diagnostic failure_diagnostic(const scenario_records& records, const reading_outcome& reading,
                              const source_names& names) {
  diagnostic d;
  d.code = records.failure_code;
  d.id = std::to_string(d.code);
  d.positioned = failure_has_position(d.code);
  // The detail may quote a field of the text, which may be of any length.
  d.message =
      reading.detail.empty() ? std::string(failure_meaning(d.code)) : shortened(reading.detail);
  if (is_track_code_failure(d.code)) {
    // Signals and slowdowns, whose neighbourhood the pass completes, come
    // from the train service description.
    d.file = names.train_service;
    if (const placed_mark* entry =
            track_code_entry(records, reading, d.code, records.failure_position)) {
      point_at(d, entry->text, entry->where, names);
      d.message += " (" + describe(*entry, records.general_table) + ")";
    }
  } else if (reading.site) {
    point_at(d, reading.site->text, reading.site->where, names);
  } else {
    d.file = names.line_description;
  }
  return d;
}

// Cell 1 of the segment array carries the stamp and the check code: what
// an entry left there, as `dump` labels the cell.
std::string cell_one(const scenario_records& records, const reading_outcome& reading,
                     const source_names& names) {
  std::string held;
  if (const placed_mark* mark = reading.marks.find(1)) {
    held = describe(*mark, records.general_table) + " (line " + std::to_string(mark->where.line) +
           " of " + name_of(mark->text, names) + ")";
  } else if (records.segments.size() > 1) {
    const uint8_t kind = records.segments[1].kind;
    held = "a " + std::string(segment_kind_name(kind)) + " [" + std::to_string(kind) + "]" +
           (kind == kCodePoint ? " the track-code pass placed there" : "");
  }
  return "segment 1 (" + covering_text(segment_span(1)) + ") of the segment array" +
         (held.empty() ? std::string() : " holds " + held);
}

diagnostic stamp_diagnostic(const scenario_records& records, const compilation& result,
                            const source_names& names) {
  diagnostic d;
  d.code = result.stamp_error;
  d.id = std::to_string(d.code);
  const std::string_view place =
      d.code == kStampTaken ? "the scenario stamp's" : "the check code's";
  d.message = "an entry wrote into " + std::string(place) +
              " place: " + cell_one(records, result.reading, names) + "; nothing was written";
  return d;
}

diagnostic warning_diagnostic(const reader_warning& w, const source_names& names) {
  diagnostic d;
  point_at(d, w.text, w.where, names);
  const explanation* e = find_explanation(w.id);
  d.loss = e != nullptr && is_loss(*e);
  d.level = d.loss ? severity::error : severity::warning;
  d.id = std::string(w.id);
  d.message = w.message;
  return d;
}

// The texts in the order the compilation reads them, each from its top;
// what has no place comes last.
void sort_diagnostics(std::vector<diagnostic>& diagnostics, const source_names& names) {
  auto rank = [&names](const diagnostic& d) {
    const int text = !d.file ? 3 : *d.file == names.line_description ? 0 : !d.line ? 2 : 1;
    return std::tuple{text, d.line.value_or(0), d.column.value_or(0)};
  };
  auto before = [&rank](const diagnostic& a, const diagnostic& b) { return rank(a) < rank(b); };
  // The readers give their warnings mostly in order already: a report of
  // many is then only looked through.
  if (std::is_sorted(diagnostics.begin(), diagnostics.end(), before)) return;
  std::stable_sort(diagnostics.begin(), diagnostics.end(), before);
}

}  // namespace

void sort_by_place(compile_report& report, const source_names& names) {
  sort_diagnostics(report.diagnostics, names);
}

std::string stamp_error_meaning(int32_t code) {
  return std::string(failure_meaning(code == kStampTaken ? kStampTaken : kCheckCodeTaken));
}

compile_report make_report(const scenario_records& records, const compilation& result,
                           const source_names& names) {
  compile_report report;
  report.failure_code = records.failure_code;
  report.failure_position = records.failure_position;
  report.stamp_error = result.stamp_error;
  for (const reader_warning& w : result.reading.warnings)
    report.diagnostics.push_back(warning_diagnostic(w, names));
  if (records.failure_code != 0)
    report.diagnostics.push_back(failure_diagnostic(records, result.reading, names));
  sort_diagnostics(report.diagnostics, names);
  if (result.stamp_error != 0)
    report.diagnostics.push_back(stamp_diagnostic(records, result, names));
  return report;
}

void allow(compile_report& report, const std::vector<std::string>& ids) {
  report.allowed = ids;
  for (diagnostic& d : report.diagnostics) {
    if (d.code != 0 || std::find(ids.begin(), ids.end(), d.id) == ids.end()) continue;
    d.allowed = true;
    d.level = severity::warning;
  }
}

void hide_warnings(compile_report& report) {
  std::erase_if(report.diagnostics,
                [](const diagnostic& d) { return d.level == severity::warning; });
}

size_t warning_count(const compile_report& report) {
  return static_cast<size_t>(std::count_if(
      report.diagnostics.begin(), report.diagnostics.end(),
      [](const diagnostic& d) { return d.level == severity::warning && !d.allowed; }));
}

size_t error_count(const compile_report& report) {
  return static_cast<size_t>(
      std::count_if(report.diagnostics.begin(), report.diagnostics.end(),
                    [](const diagnostic& d) { return d.level == severity::error; }));
}

std::string format_diagnostic(const diagnostic& d, int32_t failure_position) {
  std::string place =
      d.file ? shown(platform::path_from_utf8(*d.file)) : std::string("scenario-tool");
  if (d.line) {
    place += ":" + std::to_string(*d.line);
    if (d.column) place += ":" + std::to_string(*d.column);
  }
  if (d.level == severity::warning)
    return place + ": warning: " + d.message + " [" + d.id + (d.allowed ? ", allowed]" : "]");
  if (d.loss) return place + ": error: " + d.message + " [" + d.id + "]";
  std::string tail = "(failure " + std::to_string(d.code);
  if (is_stamp_error(d.code))
    tail = "(stamp error " + std::to_string(d.code);
  else if (d.positioned)
    tail += " at " + std::to_string(d.position.value_or(failure_position)) + " m";
  return place + ": error: " + d.message + " " + tail + ")";
}

namespace {

void optional_value(json_writer& w, const std::optional<std::string>& v) {
  if (v)
    w.value(*v);
  else
    w.null();
}

void optional_value(json_writer& w, const std::optional<int32_t>& v) {
  if (v)
    w.value(int64_t{*v});
  else
    w.null();
}

void code_value(json_writer& w, bool given, int32_t code) {
  if (given)
    w.value(int64_t{code});
  else
    w.null();
}

// One diagnostic, its members in the order dump sorts them.
void write_diagnostic(json_writer& w, const diagnostic& d) {
  const bool numbered = d.code != 0;
  const bool further = d.passed_over_line.has_value();
  w.begin_object();
  w.key("allowed").value(d.allowed);
  code_value(w.key("code"), numbered, d.code);
  optional_value(w.key("column"), d.column);
  code_value(w.key("failure_code"), numbered && !is_stamp_error(d.code), d.code);
  if (further)
    code_value(w.key("failure_position"), d.positioned && d.position, d.position.value_or(0));
  optional_value(w.key("file"), d.file);
  w.key("id").value(d.id);
  optional_value(w.key("line"), d.line);
  w.key("loss").value(d.loss);
  w.key("message").value(d.message);
  if (further) {
    w.key("passed_over").begin_object();
    optional_value(w.key("file"), d.passed_over_file);
    w.key("line").value(int64_t{*d.passed_over_line});
    w.end_object();
  }
  w.key("severity").value(d.level == severity::warning ? "warning" : "error");
  w.end_object();
}

void write_strings(json_writer& w, const std::vector<std::string>& list) {
  w.begin_array();
  for (const std::string& s : list) w.value(s);
  w.end_array();
}

}  // namespace

void write_report_json(json_writer& w, const compile_report& report,
                       const std::function<void(json_writer&)>& more_members) {
  w.begin_object();
  write_strings(w.key("allowed"), report.allowed);
  if (more_members) more_members(w);
  w.key("diagnostics").begin_array();
  for (const diagnostic& d : report.diagnostics) write_diagnostic(w, d);
  w.end_array();
  // Only when the search stopped short, so that a report without further
  // failures (and the compile record) reads as before.
  if (report.error_limit != 0) w.key("error_limit").value(int64_t{report.error_limit});
  w.key("failure_code").value(int64_t{report.failure_code});
  // A failure that leaves the position as it was has none to give.
  code_value(w.key("failure_position"),
             report.failure_code == 0 || failure_has_position(report.failure_code),
             report.failure_position);
  write_strings(w.key("files"), report.files);
  code_value(w.key("stamp_error"), report.stamp_error != 0, report.stamp_error);
  w.end_object();
}

std::string report_json(const compile_report& report) {
  std::ostringstream out;
  json_writer w(out, 2, true);
  write_report_json(w, report);
  w.flush();
  return out.str();
}

std::string error_json(std::string_view what, int status) {
  std::ostringstream out;
  json_writer w(out, 2, true);
  w.begin_object();
  w.key("error").value(what);
  w.key("exit_status").value(int64_t{status});
  w.end_object();
  w.flush();
  return out.str();
}

}  // namespace scenario::tool
