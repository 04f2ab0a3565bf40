#include "tool/report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace scenario::tool {
namespace {

const source_names kNames{"texts/A_linea.txt", "texts/A_T-.txt"};

scenario_records failed(int32_t code, int32_t position) {
  scenario_records r;
  r.failure_code = code;
  r.failure_position = position;
  return r;
}

compilation read_failure_at(source_kind text, int32_t line, int32_t column) {
  compilation c;
  c.reading.site = failure_site{text, {line, column}};
  return c;
}

TEST(Report, ReaderFailureInTheCompilersForm) {
  const compile_report r =
      make_report(failed(16, 2000), read_failure_at(source_kind::train_service, 5, 3), kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_EQ(format_diagnostic(r.diagnostics[0], r.failure_position),
            "texts/A_T-.txt:5:3: error: \"segnale\" on a taken segment (failure 16 at 2000 m)");
}

TEST(Report, FailureTwoCanPointIntoTheLineDescription) {
  const compile_report r =
      make_report(failed(2, 0), read_failure_at(source_kind::line_description, 3, 1), kNames);
  EXPECT_EQ(r.diagnostics[0].file, kNames.line_description);
}

TEST(Report, TrackCodeFailuresHaveNoPlaceInAText) {
  // The pass runs after reading; a site the readers left is not its own.
  const compile_report r =
      make_report(failed(12, 13200), read_failure_at(source_kind::train_service, 9, 1), kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_FALSE(r.diagnostics[0].line.has_value());
  EXPECT_FALSE(r.diagnostics[0].column.has_value());
  const std::string text = format_diagnostic(r.diagnostics[0], r.failure_position);
  EXPECT_EQ(text.rfind("texts/A_T-.txt: error: ", 0), 0u) << text;
  EXPECT_NE(text.find("(failure 12 at 13200 m)"), std::string::npos) << text;
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_TRUE(j["diagnostics"][0]["line"].is_null());
  EXPECT_TRUE(j["diagnostics"][0]["column"].is_null());
  EXPECT_EQ(j["diagnostics"][0]["file"], kNames.train_service);
}

TEST(Report, RunTimeFailureCarriesItsOwnWords) {
  compilation c = read_failure_at(source_kind::line_description, 2, 21);
  c.reading.detail = "\"5km\" is not a number";
  const compile_report r = make_report(failed(25, 0), c, kNames);
  EXPECT_NE(r.diagnostics[0].message.find("\"5km\" is not a number"), std::string::npos);
}

TEST(Report, StampErrorBesideAFailure) {
  compilation c = read_failure_at(source_kind::train_service, 4, 1);
  c.stamp_error = kStampTaken;
  const compile_report r = make_report(failed(30, 0), c, kNames);
  ASSERT_EQ(r.diagnostics.size(), 2u);
  EXPECT_EQ(format_diagnostic(r.diagnostics[1], 0).rfind("scenario-tool: error: ", 0), 0u);
  EXPECT_NE(format_diagnostic(r.diagnostics[1], 0).find("(stamp error 1250)"), std::string::npos);
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_EQ(j["failure_code"], 30);
  EXPECT_EQ(j["stamp_error"], 1250);
  EXPECT_TRUE(j["diagnostics"][1]["file"].is_null());
}

TEST(Report, NoFailureNoDiagnostic) {
  const compile_report r = make_report(scenario_records{}, compilation{}, kNames);
  EXPECT_TRUE(r.diagnostics.empty());
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  for (const char* key :
       {"failure_code", "failure_position", "stamp_error", "files", "diagnostics"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_TRUE(j["stamp_error"].is_null());
}

TEST(Report, JsonSurvivesBytesThatAreNotUtf8) {
  compile_report r;
  r.files.push_back("caf\xe9.sim");
  nlohmann::json j;
  EXPECT_NO_THROW(j = nlohmann::json::parse(report_json(r)));
  EXPECT_EQ(j["files"].size(), 1u);
}

}  // namespace
}  // namespace scenario::tool
