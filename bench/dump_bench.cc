// `scenario-tool dump` of the largest compiled file: the route plan of the
// maximum-length scenario, decoded and listed.
#include <benchmark/benchmark.h>

#include <sstream>
#include <streambuf>

#include "bench_support.h"
#include "tool/decode.h"
#include "tool/dump.h"

namespace scenario::bench {
namespace {

const std::string& largest_file() {
  static const std::string bytes = [] {
    scenario_records r = fresh_records();
    const synthetic::texts& texts = maximum_length_texts();
    compile_or_throw(r, texts.line_description, texts.train_service);
    std::ostringstream out;
    write_line_geometry(out, r.track_geometry);
    return out.str();
  }();
  return bytes;
}

class discarding_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void BM_DecodeLargest(benchmark::State& state) {
  const std::string& bytes = largest_file();
  for (auto _ : state) {
    const route_plan plan = tool::decode_line_geometry(bytes);
    benchmark::DoNotOptimize(plan.last());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeLargest)->Unit(benchmark::kMillisecond);

void BM_DumpLargestAsText(benchmark::State& state) {
  const std::string& bytes = largest_file();
  discarding_buffer sink;
  std::ostream out(&sink);
  for (auto _ : state) tool::list_line_geometry(out, tool::decode_line_geometry(bytes));
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DumpLargestAsText)->Unit(benchmark::kMillisecond);

void BM_DumpLargestAsJson(benchmark::State& state) {
  const std::string& bytes = largest_file();
  for (auto _ : state) {
    const std::string json = tool::line_geometry_json(tool::decode_line_geometry(bytes));
    benchmark::DoNotOptimize(json.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DumpLargestAsJson)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
