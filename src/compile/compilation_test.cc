#include "compile/compilation.h"

#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::line_text;
using testing::service_text;

scenario_records named() {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  return r;
}

TEST(CompilationTest, BuiltInScenarioIsStampedAndCoded) {
  scenario_records r = named();
  const std::string line = dati_linea(), service = dati_treno();
  const compilation c = compile_scenario(r, 1, line, service);
  EXPECT_TRUE(c.compiled);
  EXPECT_EQ(c.stamp_error, 0);
  EXPECT_EQ(r.failure_code, 0);
  EXPECT_EQ(r.general_table[85].number_a, 610);
  EXPECT_EQ(r.general_table[85].time_s, 32155);
  EXPECT_EQ(r.segments[1].value1, 5121);
  EXPECT_EQ(r.segments[1].value2, 2356);
  int code_points = 0;
  for (const track_segment& s : r.segments) code_points += s.kind == kCodePoint;
  EXPECT_EQ(code_points, 5);
}

TEST(CompilationTest, RecompilingStartsFromAClearedTable) {
  scenario_records r = named();
  r.general_table[40].text = "left over";
  r.failure_code = 15;
  const std::string line = dati_linea(), service = dati_treno();
  compile_scenario(r, 1, line, service);
  EXPECT_EQ(r.general_table[40], general_entry{});
  EXPECT_EQ(r.failure_code, 0);
}

struct stamp_case {
  const char* name;
  std::string service;
  int32_t error;
};

class StampTest : public ::testing::TestWithParam<stamp_case> {};

TEST_P(StampTest, ReservedSlotsTakenByAReaderStopTheRun) {
  scenario_records r = named();
  const stamp_case& c = GetParam();
  const std::string line = line_text("");
  const compilation result = compile_scenario(r, 1, line, c.service);
  EXPECT_EQ(result.stamp_error, c.error);
  EXPECT_FALSE(result.compiled);
}

// A slowdown at 0 m puts its start in cell 1 (value1 and value2); an
// abbattimento with a value at 50 m writes cell 1's value1 only.
INSTANTIATE_TEST_SUITE_P(
    Stamps, StampTest,
    ::testing::Values(
        stamp_case{"segment_value1", service_text("abbattimento, 50, 3\r\n"), kStampTaken},
        stamp_case{"segment_value2", service_text("rallentamento, 0, 0, 500, 0, 0, 4\r\n"),
                   kCheckCodeTaken}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompilationTest, NothingToCompileWithoutARouteLength) {
  scenario_records r = named();
  const std::string line = "[generale]\r\n[fine]\r\n";
  const compilation c = compile_scenario(r, 1, line, service_text(""));
  EXPECT_FALSE(c.compiled);
  EXPECT_EQ(c.stamp_error, 0);
  EXPECT_EQ(r.failure_code, 25);
}

TEST(CompilationTest, ReaderFailuresAfterSizingStillCompile) {
  scenario_records r = named();
  const std::string line = line_text("pendenza, 16950, 5\r\n");
  const compilation c = compile_scenario(r, 1, line, service_text(""));
  EXPECT_TRUE(c.compiled);
  EXPECT_EQ(r.failure_code, 15);
  EXPECT_EQ(r.segments[1].value1, 5121);
}

TEST(CompilationTest, MissingServiceTextIsARunTimeFailure) {
  scenario_records r = named();
  const std::string line = line_text("");
  const compilation c = compile_scenario(r, 1, line, std::nullopt);
  EXPECT_EQ(r.failure_code, 25);
  EXPECT_TRUE(c.reading.delete_line_description);
  EXPECT_FALSE(c.reading.delete_train_service);
  EXPECT_TRUE(c.compiled);  // the line description had sized the arrays
}

}  // namespace
}  // namespace scenario
