// `scenario-tool diff` of two maximum-length scenarios that differ in one
// signal's aspects: the comparison of the records alone, and with the
// decoding of both sets of files as the command reads them.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "format/load_scenario.h"
#include "testing/longest_scenario.h"
#include "tool/diff/scenario_diff.h"

namespace scenario::bench {
namespace {

using testing::compile_or_throw;
using testing::fresh_records;
using testing::maximum_length_files;
using testing::maximum_length_texts;

// The longest scenario with the aspects of one signal halfway along changed.
const compiled_bytes& one_signal_changed() {
  static const compiled_bytes files = [] {
    std::string service = maximum_length_texts().train_service;
    const size_t line = service.find("\nsegnale,", service.size() / 2);
    const size_t aspects = service.find(", 4,", line);
    if (line == std::string::npos || aspects == std::string::npos)
      throw std::logic_error("no signal to change in the longest scenario");
    service[aspects + 2] = '3';
    scenario_records r = fresh_records();
    compile_or_throw(r, maximum_length_texts().line_description, service);
    return compiled_files_bytes(r);
  }();
  return files;
}

scenario_records decoded(const compiled_bytes& files) {
  const scenario_records fresh = fresh_records();
  return decode_scenario({fresh.line_id, fresh.train_code}, files);
}

void BM_DiffLongestRecords(benchmark::State& state) {
  const scenario_records a = decoded(maximum_length_files());
  const scenario_records b = decoded(one_signal_changed());
  for (auto _ : state) {
    const tool::scenario_diff diff = tool::diff_scenarios(a, b);
    if (diff.objects.size() != 1) state.SkipWithError("not the one changed signal");
    benchmark::DoNotOptimize(diff.objects.data());
  }
}
BENCHMARK(BM_DiffLongestRecords)->Unit(benchmark::kMillisecond);

void BM_DecodeAndDiffLongest(benchmark::State& state) {
  for (auto _ : state) {
    const tool::scenario_diff diff =
        tool::diff_scenarios(decoded(maximum_length_files()), decoded(one_signal_changed()));
    if (diff.objects.size() != 1) state.SkipWithError("not the one changed signal");
    benchmark::DoNotOptimize(diff.objects.data());
  }
}
BENCHMARK(BM_DecodeAndDiffLongest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
