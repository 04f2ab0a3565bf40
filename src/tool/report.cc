#include "tool/report.h"

#include <nlohmann/json.hpp>

#include "app/failure_messages.h"
#include "app/message_text.h"

namespace scenario::tool {
namespace {

// Texts of a scenario are Windows-1252: bytes that are not UTF-8 are
// replaced rather than refused.  Everything else is escaped, so that the
// output is plain ASCII, whatever a terminal makes of other bytes.
std::string dumped(const nlohmann::json& value) {
  return value.dump(2, ' ', true, nlohmann::json::error_handler_t::replace);
}

bool is_stamp_error(int32_t code) { return code == kStampTaken || code == kCheckCodeTaken; }

// Failures the track-code pass records after reading: no text holds them.
bool is_track_code_failure(int32_t code) { return code >= 11 && code <= 13; }

diagnostic failure_diagnostic(const scenario_records& records, const reading_outcome& reading,
                              const source_names& names) {
  diagnostic d;
  d.code = records.failure_code;
  d.message = std::string(failure_meaning(d.code));
  // The detail may quote a field of the text, which may be of any length.
  if (d.code == 25 && !reading.detail.empty()) d.message += ": " + shortened(reading.detail);
  if (is_track_code_failure(d.code)) {
    // Signals and slowdowns, whose neighbourhood the pass completes, come
    // from the train service description.
    d.file = names.train_service;
  } else if (reading.site) {
    d.file = reading.site->text == source_kind::line_description ? names.line_description
                                                                 : names.train_service;
    d.line = reading.site->where.line;
    d.column = reading.site->where.column;
  } else {
    d.file = names.line_description;
  }
  return d;
}

}  // namespace

std::string stamp_error_meaning(int32_t code) {
  if (code == kStampTaken)
    return "an entry wrote into the scenario stamp's place (segment cell 1, at 0 to 49 m, or "
           "table slot 85); nothing was written";
  return "an entry wrote into the check code's place (segment cell 1, at 0 to 49 m, or table "
         "slot 85); nothing was written";
}

compile_report make_report(const scenario_records& records, const compilation& result,
                           const source_names& names) {
  compile_report report;
  report.failure_code = records.failure_code;
  report.failure_position = records.failure_position;
  report.stamp_error = result.stamp_error;
  if (records.failure_code != 0)
    report.diagnostics.push_back(failure_diagnostic(records, result.reading, names));
  if (result.stamp_error != 0) {
    diagnostic d;
    d.code = result.stamp_error;
    d.message = stamp_error_meaning(result.stamp_error);
    report.diagnostics.push_back(d);
  }
  return report;
}

std::string format_diagnostic(const diagnostic& d, int32_t failure_position) {
  std::string place = d.file ? shown(*d.file) : std::string("scenario-tool");
  if (d.line) {
    place += ":" + std::to_string(*d.line);
    if (d.column) place += ":" + std::to_string(*d.column);
  }
  std::string tail = is_stamp_error(d.code) ? "(stamp error " + std::to_string(d.code) + ")"
                                            : "(failure " + std::to_string(d.code) + " at " +
                                                  std::to_string(failure_position) + " m)";
  return place + ": error: " + d.message + " " + tail;
}

void print_diagnostics(std::ostream& err, const compile_report& report) {
  for (const diagnostic& d : report.diagnostics)
    err << format_diagnostic(d, report.failure_position) << '\n';
}

std::string report_json(const compile_report& report) {
  using nlohmann::json;
  auto optional_value = [](const auto& v) { return v ? json(*v) : json(nullptr); };
  json diagnostics = json::array();
  for (const diagnostic& d : report.diagnostics) {
    diagnostics.push_back({{"file", optional_value(d.file)},
                           {"line", optional_value(d.line)},
                           {"column", optional_value(d.column)},
                           {"code", d.code},
                           {"message", d.message}});
  }
  const json out = {
      {"failure_code", report.failure_code},
      {"failure_position", report.failure_position},
      {"stamp_error", report.stamp_error == 0 ? json(nullptr) : json(report.stamp_error)},
      {"files", report.files},
      {"diagnostics", diagnostics}};
  return dumped(out);
}

std::string error_json(std::string_view what, int status) {
  return dumped({{"error", what}, {"exit_status", status}});
}

}  // namespace scenario::tool
