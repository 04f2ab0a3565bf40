#include "tool/decompile.h"

#include <gtest/gtest.h>
#include <chrono>

#include "app/compilation.h"
#include "line/line_text.h"
#include "service/service_text.h"

namespace scenario::tool {
namespace {

struct compiled_run {
  scenario_records records;
  compilation result;
};

compiled_run compile_texts(const std::string& line, const std::string& service, int32_t j = 1) {
  compiled_run run;
  run.records.line_id = "Milano_Lecco";
  run.records.train_code = "L5244";
  run.result = compile_scenario(run.records, j, line, service);
  return run;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

TEST(Decompile, BuiltInComesBackExactly) {
  const compiled_run built_in = compile_texts(dati_linea(), dati_treno());
  ASSERT_TRUE(built_in.result.compiled);
  const recovered_texts texts = decompile(built_in.records);
  EXPECT_TRUE(texts.exact()) << joined(texts.warnings) << joined(texts.notes);
  std::cout << texts.line_description << texts.train_service;
}

}  // namespace
}  // namespace scenario::tool
#include "../../bench/synthetic_scenario.h"
namespace scenario::tool {
TEST(Decompile, MaximumLengthComesBackExactly) {
  const synthetic::texts t = synthetic::make();
  const auto run = [&] { scenario_records r; r.line_id = "Milano_Lecco"; r.train_code = "L5244"; compile_scenario(r, 1, t.line_description, t.train_service); return r; }();
  const auto t0 = std::chrono::steady_clock::now();
  const recovered_texts texts = decompile(run);
  const auto t1 = std::chrono::steady_clock::now();
  std::cout << "decompile " << std::chrono::duration<double>(t1 - t0).count() << " s\n";
  EXPECT_TRUE(texts.exact()) << texts.warnings.size() << (texts.warnings.empty() ? "" : texts.warnings[0]);
}
}
#include "tool/varied_scenario_test_support.h"
namespace scenario::tool {
TEST(Decompile, VariedScenariosComeBackExactly) {
  int invalid = 0, inexact = 0;
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    const varied::texts t = varied::make(seed);
    compiled_run run = compile_texts(t.line_description, t.train_service);
    if (!run.result.compiled || run.records.failure_code != 0 || run.result.stamp_error != 0) {
      ++invalid;
      std::cout << "seed " << seed << " len " << t.length << " failure " << run.records.failure_code << " at " << run.records.failure_position << " stamp " << run.result.stamp_error << "\n";
      continue;
    }
    const recovered_texts texts = decompile(run.records);
    if (!texts.exact()) {
      ++inexact;
      std::cout << "seed " << seed << " inexact: " << texts.warnings.size() << " " << texts.warnings[0] << "\n";
    }
  }
  EXPECT_EQ(invalid, 0);
  EXPECT_EQ(inexact, 0);
}
}
