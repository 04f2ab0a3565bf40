#include "tool/report/further_errors.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "testing/small_texts.h"

namespace scenario::tool {
namespace {
using testing::kSignalValues;
using testing::kSmallLine;
using testing::small_service_with;

const source_names kNames{"X_linea.txt", "X_T-.txt"};

std::string signal_at(int metres) { return "segnale, " + std::to_string(metres) + kSignalValues; }

// The report of `compile` with the further failures, as the tool makes it.
compile_report report_of(const std::string& line, const std::string& service,
                         int32_t most_errors = kMostErrors) {
  scenario_records records;
  records.line_id = "X";
  records.train_code = "T";
  const compilation first = compile_scenario(records, true, line, service);
  compile_report report = make_report(records, first, kNames);
  add_further_errors(
      report, find_further_errors(records, first, {line, service}, kNames, most_errors), kNames);
  return report;
}

std::string text_of(const compile_report& report, const std::string& line,
                    const std::string& service) {
  std::ostringstream err;
  print_diagnostics(err, report, kNames, {line, service}, false);
  return err.str();
}

TEST(FurtherErrors, ThreeMistakesInThreeEntriesAreReportedInOneRun) {
  // Two signals on taken segments and a position that is no number.
  const std::string service =
      small_service_with(signal_at(2000) + signal_at(2000) + signal_at(4000) + signal_at(4000) +
                         "segnale, 6x00" + kSignalValues);
  const compile_report r = report_of(kSmallLine, service);
  struct expected {
    std::string id;
    int32_t line, column;
    std::string says;
  };
  const std::vector<expected> all = {
      {"16", 5, 1, "(failure 16 at 2000 m)"},
      {"16", 7, 1, "(found after passing over the entry at line 5) (failure 16 at 4000 m)"},
      {"25", 8, 10, "(found after passing over the entry at line 7) (failure 25)"},
  };
  ASSERT_EQ(r.diagnostics.size(), all.size()) << text_of(r, kSmallLine, service);
  for (size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(i);
    const diagnostic& d = r.diagnostics[i];
    EXPECT_EQ(d.id, all[i].id);
    EXPECT_EQ(d.level, severity::error);
    EXPECT_EQ(d.file, kNames.train_service);
    EXPECT_EQ(d.line, all[i].line);
    EXPECT_EQ(d.column, all[i].column);
    const std::string text = format_diagnostic(d, r.failure_position);
    EXPECT_NE(text.find(all[i].says), std::string::npos) << text;
  }
  // The report's own failure stays the first run's.
  EXPECT_EQ(r.failure_code, 16);
  EXPECT_EQ(r.failure_position, 2000);
  EXPECT_EQ(error_count(r), 3u);
  EXPECT_EQ(r.error_limit, 0);

  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  ASSERT_EQ(j["diagnostics"].size(), 3u);
  EXPECT_FALSE(j["diagnostics"][0].contains("passed_over"));
  EXPECT_EQ(j["diagnostics"][1]["failure_code"], 16);
  EXPECT_EQ(j["diagnostics"][1]["failure_position"], 4000);
  EXPECT_EQ(j["diagnostics"][1]["passed_over"]["line"], 5);
  EXPECT_EQ(j["diagnostics"][1]["passed_over"]["file"], kNames.train_service);
  EXPECT_EQ(j["diagnostics"][2]["failure_code"], 25);
  EXPECT_TRUE(j["diagnostics"][2]["failure_position"].is_null());
  EXPECT_EQ(j["diagnostics"][2]["passed_over"]["line"], 7);
  EXPECT_FALSE(j.contains("error_limit"));
}

TEST(FurtherErrors, TheSearchStopsAtTheLimitAndSaysSo) {
  std::string lines;
  for (int i = 0; i < 25; ++i) lines += signal_at(1000 + 100 * i) + signal_at(1000 + 100 * i);
  const std::string service = small_service_with(lines);
  for (const int32_t most : {kMostErrors, 3}) {
    SCOPED_TRACE(most);
    const compile_report r = report_of(kSmallLine, service, most);
    EXPECT_EQ(error_count(r), static_cast<size_t>(most));
    EXPECT_EQ(r.error_limit, most);
    EXPECT_EQ(r.diagnostics.back().line, 4 + 2 * (most - 1) + 1);
    EXPECT_NE(text_of(r, kSmallLine, service)
                  .find("note: stopped looking for errors after " + std::to_string(most)),
              std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(report_json(r))["error_limit"], most);
  }
}

TEST(FurtherErrors, NothingIsSearchedWhenNoEntryCanBePassedOver) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // No failure at all.
      {kSmallLine, small_service_with(signal_at(2000))},
      // No general section in the line description (102): nothing is compiled.
      {"lunghezza percorso, 20000\r\n" + signal_at(2000) + signal_at(2000),
       small_service_with(signal_at(2000) + signal_at(2000))},
      // A route length too long (1): without one every later entry would fail.
      {"[generale]\r\nlunghezza percorso, 2000000\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n",
       small_service_with(signal_at(2000) + signal_at(2000))},
      // A route length that is no number (25).
      {"[generale]\r\nlunghezza percorso, 20x00\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n",
       small_service_with(signal_at(2000) + signal_at(2000))},
  };
  for (const auto& [line, service] : cases) {
    scenario_records records;
    const compilation first = compile_scenario(records, true, line, service);
    const further_errors further = find_further_errors(records, first, {line, service}, kNames);
    EXPECT_TRUE(further.diagnostics.empty()) << records.failure_code;
    EXPECT_EQ(further.error_limit, 0);
  }
}

TEST(FurtherErrors, OnlyWarningsTheFirstRunDidNotReachAreAdded) {
  // "sabbia" twice warns (the second overrides the first): once before the
  // first failure, once between the failures.
  const std::string service =
      small_service_with("sabbia, 300\r\nsabbia, 200\r\n" + signal_at(2000) + signal_at(2000) +
                         "sabbia, 100\r\n" + signal_at(3000) + signal_at(3000));
  const compile_report r = report_of(kSmallLine, service);
  std::vector<std::pair<std::string, int32_t>> seen;
  for (const diagnostic& d : r.diagnostics) seen.emplace_back(d.id, d.line.value_or(0));
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"overridden", 5}, {"16", 7}, {"overridden", 8}, {"16", 10}};
  EXPECT_EQ(seen, expected) << text_of(r, kSmallLine, service);
}

TEST(FurtherErrors, AFailureOfTheLineDescriptionInForceIsPassedOverWhereItWasWritten) {
  // A gradient beyond the line's end is failure 15, which ends the reading
  // of the train service at its first signal: the entry to pass over is
  // the gradient, and the two signals after it are then read.
  const std::string line =
      "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\npendenza, 0, 0\r\n"
      "pendenza, 30000, 5\r\n[fine]\r\n";
  const std::string service = small_service_with(signal_at(2000) + signal_at(2000));
  const compile_report r = report_of(line, service);
  ASSERT_EQ(r.diagnostics.size(), 2u) << text_of(r, line, service);
  EXPECT_EQ(r.diagnostics[0].code, 15);
  EXPECT_EQ(r.diagnostics[1].code, 16);
  EXPECT_EQ(r.diagnostics[1].line, 5);
  EXPECT_EQ(r.diagnostics[1].passed_over_line, 5);
  EXPECT_EQ(r.diagnostics[1].passed_over_file, kNames.line_description);
  EXPECT_NE(r.diagnostics[1].message.find("passing over the entry at line 5 of X_linea.txt"),
            std::string::npos)
      << r.diagnostics[1].message;
}

}  // namespace
}  // namespace scenario::tool
