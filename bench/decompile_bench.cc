// `scenario-tool decompile` of the maximum-length scenario: the three files
// decoded, the texts recovered and compiled again to check them, as the
// command does it.
#include <benchmark/benchmark.h>

#include "format/load_scenario.h"
#include "testing/longest_scenario.h"
#include "tool/decompile/decompile.h"

namespace scenario::bench {
namespace {

using testing::fresh_records;
using testing::maximum_length_files;

void BM_DecompileLargest(benchmark::State& state) {
  const scenario::compiled_bytes& files = maximum_length_files();
  for (auto _ : state) {
    const scenario_records fresh = fresh_records();
    const tool::recovered_texts texts =
        tool::decompile(decode_scenario({fresh.line_id, fresh.train_code}, files));
    if (!texts.exact()) state.SkipWithError("the maximum-length scenario did not come back");
    benchmark::DoNotOptimize(texts.line_description.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          (files.geometry.size() + files.table.size() + files.segments.size()));
}
BENCHMARK(BM_DecompileLargest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
