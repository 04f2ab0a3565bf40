// `scenario-tool check` of a line description with 262 144 lines that are no
// entry (4 MB of text): every one a diagnostic, reported as text (a hundred
// shown, the rest counted) and as JSON (all of them).  The whole check, from
// reading the files to the last line of the report, must stay well under a
// second: a report that read the text again for each diagnostic took
// minutes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <streambuf>
#include <string>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/scratch_dir.h"
#include "tool/commands/compile_command.h"

namespace scenario::bench {
namespace {

constexpr int kUnknownEntries = 262'144;

class discarding_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The built-in line description with `count` unknown entries after the line
// that opens its curves.
std::string with_unknown_entries(int count) {
  std::string text = dati_linea();
  std::string bad;
  for (int i = 0; i < count; ++i) bad += "sconosciuto," + std::to_string(i % 10) + "\r\n";
  text.insert(text.find("[curve]\r\n") + 9, bad);
  return text;
}

void check_many_unknown_entries(benchmark::State& state, bool json) {
  testing::scratch_dir dir;
  testing::spill(dir / "Bad_linea.txt", with_unknown_entries(kUnknownEntries));
  testing::spill(dir / "Bad_T-.txt", dati_treno());
  tool::compile_options options;
  options.line_text = (dir / "Bad_linea.txt").string();
  options.service_text = (dir / "Bad_T-.txt").string();
  options.write = false;
  options.json = json;
  discarding_buffer sink;
  std::ostream out(&sink), err(&sink);
  double slowest = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (tool::run_compile(options, out, err) != 1) {
      state.SkipWithError("the check did not report its losses");
      return;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    slowest = std::max(slowest, took.count());
  }
  state.counters["slowest_s"] = slowest;
  if (slowest >= 1.0) state.SkipWithError("a check took a second or more");
}

void BM_CheckManyUnknownEntries(benchmark::State& state) {
  check_many_unknown_entries(state, false);
}
BENCHMARK(BM_CheckManyUnknownEntries)->Unit(benchmark::kMillisecond);

void BM_CheckManyUnknownEntriesAsJson(benchmark::State& state) {
  check_many_unknown_entries(state, true);
}
BENCHMARK(BM_CheckManyUnknownEntriesAsJson)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
