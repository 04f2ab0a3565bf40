// Fuzzes the way back from compiled files to source texts: whatever two texts
// compile without a failure must decompile to texts that compile to the very
// same bytes.
//
// Input: the line description, a NUL byte, the train service description (as
// for compile_fuzz).  Lines longer than 200 km are passed over: they only
// make each run slower (the unit tests take the longest line back).  An
// input that begins with '#' is compiled without the
// route plan, as `compile --no-geometry` does; the '#' stands before the
// general section, where the reader passes over it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/load_scenario.h"
#include "testing/fuzz_input.h"
#include "tool/decompile/decompile.h"

namespace {

using namespace scenario;

constexpr int32_t kLongestCells = 200'000 / 50;

[[noreturn]] void fail(const tool::recovered_texts& texts) {
  std::fprintf(stderr, "decompiled texts do not compile to the same bytes\n");
  for (const std::string& w : texts.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
  for (const std::string& n : texts.notes) std::fprintf(stderr, "note: %s\n", n.c_str());
  std::fprintf(stderr, "---- line description\n%s---- train service\n%s",
               texts.line_description.c_str(), texts.train_service.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto [line, service] = scenario::testing::split_texts(input);
  const int32_t j = input.starts_with('#') ? 0 : 1;

  scenario_records records;
  records.line_id = "Fuzz_Line";
  records.train_code = "F1";
  const compilation first = compile_scenario(records, j, line, service);
  if (!first.compiled || first.stamp_error != 0 || records.failure_code != 0) return 0;
  if (records.segment_last > kLongestCells) return 0;
  const compiled_bytes files = compiled_files_bytes(records);

  // The records decoded from the files, as `decompile` loads them.
  const tool::recovered_texts texts =
      tool::decompile(decode_scenario({records.line_id, records.train_code}, files));
  scenario_records again;
  again.line_id = records.line_id;
  again.train_code = records.train_code;
  const compilation second =
      compile_scenario(again, j, texts.line_description, texts.train_service);
  if (!second.compiled || second.stamp_error != 0 || again.failure_code != 0) fail(texts);
  if (!(compiled_files_bytes(again) == files) || !texts.exact()) fail(texts);
  return 0;
}
