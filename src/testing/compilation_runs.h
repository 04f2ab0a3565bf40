// Helpers for tests that compile small source texts from memory.
#ifndef SCENARIO_TESTING_COMPILATION_RUNS_H_
#define SCENARIO_TESTING_COMPILATION_RUNS_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "model/records.h"

namespace scenario::testing {

// A line description of `length` metres followed by `entries` (CR LF lines).
inline std::string line_text(std::string_view entries, int length = 10000) {
  return "[generale]\r\nlunghezza percorso, " + std::to_string(length) + "\r\n[curve]\r\n" +
         std::string(entries) + "[fine]\r\n";
}

// A train service description holding `entries` in its general section.
inline std::string service_text(std::string_view entries) {
  return "[generale]\r\n" + std::string(entries) + "[fine]\r\n";
}

// Records named as the built-in scenario, after reading both texts.
struct reading_run {
  scenario_records records;
  reading_outcome outcome;
  int32_t code() const { return records.failure_code; }
  int32_t position() const { return records.failure_position; }
  const track_segment& cell(int i) const { return records.segments.at(static_cast<size_t>(i)); }
};

inline reading_run read_texts(const std::string& line, const std::string& service,
                              bool build_geometry = true) {
  reading_run run;
  run.records.line_id = "Milano_Lecco";
  run.records.train_code = "L5244";
  run.records.build_geometry = build_geometry;
  run.outcome = memorizza_dati(run.records, line, service);
  return run;
}

// Train service entries read after a 10 000 m line (segment_last 340)
// holding `line_entries`.
inline reading_run read_service(const std::string& entries, const std::string& line_entries = "") {
  return read_texts(line_text(line_entries), service_text(entries));
}

// The built-in scenario's two texts, read once for all the tests that look
// at what they give.
inline const reading_run& built_in_run() {
  static const reading_run run = read_texts(dati_linea(), dati_treno());
  return run;
}

// Tests that look at what the built-in texts give.
class built_in_reading : public ::testing::Test {
 protected:
  static const scenario_records& r() { return built_in_run().records; }
};

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_COMPILATION_RUNS_H_
