// `scenario-tool dump` of the largest compiled file: the route plan of the
// maximum-length scenario, decoded and listed; and the decoding of its other
// two files.
#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>

#include "format/decode.h"
#include "testing/longest_scenario.h"
#include "tool/report/dump.h"

namespace scenario::bench {
namespace {

using testing::maximum_length_files;

class discarding_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void BM_DecodeLargest(benchmark::State& state) {
  const std::string& bytes = maximum_length_files().geometry;
  for (auto _ : state) {
    const route_plan plan = decode_line_geometry(bytes);
    benchmark::DoNotOptimize(plan.last());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeLargest)->Unit(benchmark::kMillisecond);

// The table and segment files of the same scenario: the decoders walk each
// record's fields.
void BM_DecodeTableAndSegments(benchmark::State& state) {
  const scenario::compiled_bytes& files = maximum_length_files();
  for (auto _ : state) {
    const general_table_t table = decode_general_table(files.table);
    const std::vector<track_segment> cells = decode_segments(files.segments);
    benchmark::DoNotOptimize(table.data());
    benchmark::DoNotOptimize(cells.data());
  }
  state.SetBytesProcessed(state.iterations() * (files.table.size() + files.segments.size()));
}
BENCHMARK(BM_DecodeTableAndSegments)->Unit(benchmark::kMicrosecond);

void BM_DumpLargestAsText(benchmark::State& state) {
  const std::string& bytes = maximum_length_files().geometry;
  discarding_buffer sink;
  std::ostream out(&sink);
  for (auto _ : state) tool::list_line_geometry(out, decode_line_geometry(bytes));
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DumpLargestAsText)->Unit(benchmark::kMillisecond);

void BM_DumpLargestAsJson(benchmark::State& state) {
  const std::string& bytes = maximum_length_files().geometry;
  for (auto _ : state) {
    const std::string json = tool::line_geometry_json(decode_line_geometry(bytes));
    benchmark::DoNotOptimize(json.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DumpLargestAsJson)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
