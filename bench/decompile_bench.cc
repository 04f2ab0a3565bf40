// `scenario-tool decompile` of the maximum-length scenario: the three files
// decoded, the texts recovered and compiled again to check them, as the
// command does it.
#include <benchmark/benchmark.h>

#include "format/decode.h"
#include "testing/longest_scenario.h"
#include "tool/decompile/decompile.h"

namespace scenario::bench {
namespace {

using testing::fresh_records;
using testing::maximum_length_files;

void BM_DecompileLargest(benchmark::State& state) {
  const scenario::compiled_bytes& files = maximum_length_files();
  for (auto _ : state) {
    scenario_records r = fresh_records();
    r.build_geometry = 1;
    r.track_geometry = tool::decode_line_geometry(files.geometry);
    r.geometry_last = r.track_geometry.last();
    r.general_table = tool::decode_general_table(files.table);
    r.segments = tool::decode_segments(files.segments);
    r.segment_last = static_cast<int32_t>(r.segments.size()) - 1;
    const tool::recovered_texts texts = tool::decompile(r);
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
