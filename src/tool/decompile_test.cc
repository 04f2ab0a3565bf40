#include "tool/decompile.h"

#include <gtest/gtest.h>

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
