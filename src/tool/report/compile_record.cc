#include "tool/report/compile_record.h"

#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "system/files.h"
#include "tool/report/json_writer.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

// Deeper nesting than a record ever has is refused before it is parsed: a
// parse of a million nested brackets would take its memory and its stack.
constexpr int kDeepestRecord = 16;

bool nested_too_deep(std::string_view text) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kDeepestRecord) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

compile_report trimmed(const compile_report& report) {
  if (report.diagnostics.size() <= kRecordedDiagnostics) return report;
  compile_report kept = report;
  kept.diagnostics.clear();
  for (const diagnostic& d : report.diagnostics)
    if (kept.diagnostics.size() < kRecordedDiagnostics || d.code != 0)
      kept.diagnostics.push_back(d);
  return kept;
}

std::string text_or_empty(const json& object, const char* key) {
  const auto at = object.find(key);
  return at != object.end() && at->is_string() ? at->get<std::string>() : std::string();
}

std::optional<int32_t> int32_of(const json& object, const char* key) {
  const auto at = object.find(key);
  if (at == object.end() || !at->is_number_integer()) return std::nullopt;
  const int64_t v = at->get<int64_t>();
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

bool fingerprints_match(const json& files, const set_fingerprints& found) {
  if (!files.is_object()) return false;
  const auto geometry = files.find("geometry");
  const bool no_geometry = geometry != files.end() && geometry->is_null();
  return (found.geometry.empty() ? no_geometry
                                 : text_or_empty(files, "geometry") == found.geometry) &&
         text_or_empty(files, "table") == found.table &&
         text_or_empty(files, "segments") == found.segments;
}

std::optional<recorded_failure> failure_in(const json& record) {
  const std::optional<int32_t> code = int32_of(record, "failure_code");
  if (!code || *code == 0) return std::nullopt;
  recorded_failure failure;
  failure.code = *code;
  failure.position = int32_of(record, "failure_position");
  const auto diagnostics = record.find("diagnostics");
  if (diagnostics == record.end() || !diagnostics->is_array()) return failure;
  for (const json& d : *diagnostics) {
    if (d.is_object() && text_or_empty(d, "severity") == "error" && int32_of(d, "code") == code) {
      failure.message = text_or_empty(d, "message");
      break;
    }
  }
  return failure;
}

}  // namespace

std::string compile_record_json(const compile_report& report, const set_fingerprints& files) {
  // Written straight, as the report is: a record of many diagnostics is
  // never a tree in memory.
  const compile_report kept = trimmed(report);
  std::ostringstream out;
  json_writer w(out, 2, false);
  write_report_json(w, kept, [&](json_writer& members) {
    members.key("compiled_files").begin_object();
    if (files.geometry.empty())
      members.key("geometry").null();
    else
      members.key("geometry").value(files.geometry);
    members.key("segments").value(files.segments);
    members.key("table").value(files.table);
    members.end_object();
    // Beside the diagnostics it counts, though ahead of them in the order
    // the other members keep.
    if (kept.diagnostics.size() < report.diagnostics.size())
      members.key("diagnostics_not_recorded")
          .value(static_cast<int64_t>(report.diagnostics.size() - kept.diagnostics.size()));
  });
  w.flush();
  return out.str() + "\n";
}

set_record read_set_record(const std::optional<std::string>& record,
                           const set_fingerprints& found) {
  using state = set_record::state;
  if (!record) return {state::no_record, std::nullopt};
  if (record->size() > kRecordByteLimit || nested_too_deep(*record))
    return {state::unreadable, std::nullopt};
  try {
    const json j = json::parse(*record, nullptr, false);
    if (!j.is_object()) return {state::unreadable, std::nullopt};
    const auto files = j.find("compiled_files");
    if (files == j.end() || !files->is_object()) return {state::unreadable, std::nullopt};
    if (!fingerprints_match(*files, found)) return {state::other_files, std::nullopt};
    return {state::whole, failure_in(j)};
  } catch (const json::exception&) {
    return {state::unreadable, std::nullopt};
  }
}

std::string set_record_note(const set_record& record, std::string_view record_name) {
  const std::string name(record_name);
  switch (record.kind) {
    case set_record::state::whole:
      return "";
    case set_record::state::no_record:
      return "no compile record " + name +
             " beside these files: they are not known to be one whole set (the generator and "
             "other programs write none)";
    case set_record::state::other_files:
      return "the compile record " + name +
             " is not for these files: they are not known to be one whole set (a run cut short, "
             "or files written since by something else); compile again to be sure";
    case set_record::state::unreadable:
      break;
  }
  return "the compile record " + name +
         " cannot be read (damaged, too large or not a record): these files are not known to be "
         "one whole set";
}

set_record read_set_record_file(const std::filesystem::path& record,
                                const set_fingerprints& found) {
  std::error_code ec;
  if (!std::filesystem::exists(record, ec)) return read_set_record(std::nullopt, found);
  if (!std::filesystem::is_regular_file(record, ec)) return {set_record::state::unreadable, {}};
  try {
    return read_set_record(read_regular_file(record, kRecordByteLimit), found);
  } catch (const file_error&) {
    return {set_record::state::unreadable, std::nullopt};
  }
}

}  // namespace scenario::tool
