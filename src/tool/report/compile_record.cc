#include "tool/report/compile_record.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

namespace scenario::tool {
namespace {

using nlohmann::json;

// FNV-1a, 64 bits: enough to tell these files from any others written in
// their place; not a protection against a forger.
std::string fingerprint(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

std::string compile_record_json(const compile_report& report, std::string_view table_bytes,
                                std::string_view segment_bytes) {
  // Written straight, as the report is: a record of many diagnostics is
  // never a tree in memory.
  std::ostringstream out;
  json_writer w(out, 2, false);
  write_report_json(w, report, [&](json_writer& members) {
    members.key("compiled_files").begin_object();
    members.key("segments").value(fingerprint(segment_bytes));
    members.key("table").value(fingerprint(table_bytes));
    members.end_object();
  });
  w.flush();
  return out.str() + "\n";
}

std::optional<recorded_failure> recorded_failure_of(std::string_view record,
                                                    std::string_view table_bytes,
                                                    std::string_view segment_bytes) {
  const json j = json::parse(record, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  const json files = j.value("compiled_files", json::object());
  if (files.value("table", "") != fingerprint(table_bytes) ||
      files.value("segments", "") != fingerprint(segment_bytes))
    return std::nullopt;
  const json code = j.value("failure_code", json(0));
  if (!code.is_number_integer() || code.get<int64_t>() == 0) return std::nullopt;
  recorded_failure failure;
  failure.code = static_cast<int32_t>(code.get<int64_t>());
  if (const json position = j.value("failure_position", json()); position.is_number_integer())
    failure.position = static_cast<int32_t>(position.get<int64_t>());
  for (const json& d : j.value("diagnostics", json::array())) {
    if (d.is_object() && d.value("severity", "") == "error" && d.value("code", json()) == code) {
      failure.message = d.value("message", "");
      break;
    }
  }
  return failure;
}

}  // namespace scenario::tool
