// The compilation of a scenario from its two source texts: the built-in
// scenario, a synthetic scenario of the maximum length, and the line
// description reader alone on the maximum-length line; and the peak memory
// of a whole maximum-length compilation and write.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/compiled_set.h"
#include "line/line_reader.h"
#include "testing/longest_scenario.h"
#include "testing/scratch_dir.h"

namespace scenario::bench {
namespace {

using testing::compile_or_throw;
using testing::compiled_files_size;
using testing::fresh_records;
using testing::maximum_length_texts;

void BM_CompileBuiltIn(benchmark::State& state) {
  const std::string line = dati_linea();
  const std::string service = dati_treno();
  for (auto _ : state) {
    scenario_records records = fresh_records();
    compile_or_throw(records, line, service);
    benchmark::DoNotOptimize(records.segments.data());
  }
}
BENCHMARK(BM_CompileBuiltIn)->Unit(benchmark::kMillisecond);

void BM_CompileMaximumLength(benchmark::State& state) {
  const testing::scenario_texts& texts = maximum_length_texts();
  for (auto _ : state) {
    scenario_records records = fresh_records();
    compile_or_throw(records, texts.line_description, texts.train_service);
    benchmark::DoNotOptimize(records.segments.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          (texts.line_description.size() + texts.train_service.size()));
}
BENCHMARK(BM_CompileMaximumLength)->Unit(benchmark::kMillisecond);

// The line description of 1 000 000 m alone: sizing the arrays, drawing the
// route plan metre by metre, gradients, tunnels and boards.
void BM_ReadLineMaximumLength(benchmark::State& state) {
  const std::string& line = maximum_length_texts().line_description;
  for (auto _ : state) {
    scenario_records records = fresh_records();
    records.build_geometry = true;
    reading_outcome outcome;
    int32_t sign_board_cursor = kFirstSignBoardSlot;
    if (!read_line_description(line, records, outcome, sign_board_cursor) ||
        records.failure_code != 0) {
      state.SkipWithError("the line description did not read cleanly");
      break;
    }
    benchmark::DoNotOptimize(records.track_geometry.value(records.geometry_last - 2, 1));
  }
  state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK(BM_ReadLineMaximumLength)->Unit(benchmark::kMillisecond);

// Peak resident memory of a process that compiles the maximum-length
// scenario and writes its three compiled files, against their size.  Each
// iteration runs this program afresh (see main), so that nothing the
// benchmark itself holds is counted, and that run reports its own high-water
// mark (the kernel's VmHWM of its address space); a run that only starts and
// ends gives the process's own share.
constexpr std::string_view kCompileAndWriteInto = "--compile-and-write-into";
constexpr std::string_view kIdle = "--start-and-end";

// This process's peak resident memory in KiB, or -1.
long own_peak_kib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Runs this program with `mode` in `dir`; returns the peak it reports.
long peak_kib_of_fresh_run(std::string_view mode, const std::filesystem::path& dir) {
  const std::filesystem::path report = dir / "peak_kib";
  std::filesystem::remove(report);
  std::string self = "/proc/self/exe", mode_arg(mode), dir_arg = dir.string();
  char* argv[] = {self.data(), mode_arg.data(), dir_arg.data(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  long kib = -1;
  std::ifstream(report) >> kib;
  return kib;
}

void BM_PeakMemoryMaximumLength(benchmark::State& state) {
  testing::scratch_dir dir;
  long peak = 0, idle = 0;
  for (auto _ : state) {
    peak = peak_kib_of_fresh_run(kCompileAndWriteInto, dir.path());
    idle = peak_kib_of_fresh_run(kIdle, dir.path());
    if (peak < 0 || idle < 0) {
      state.SkipWithError("the measured run failed");
      return;
    }
  }
  const scenario_records names = fresh_records();
  const double files = static_cast<double>(compiled_files_size(names, dir.path()));
  constexpr double kMiB = 1024.0 * 1024.0;
  state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024.0;
  state.counters["idle_rss_MiB"] = static_cast<double>(idle) / 1024.0;
  state.counters["files_MiB"] = files / kMiB;
  state.counters["peak_over_files"] = static_cast<double>(peak) * 1024.0 / files;
}
BENCHMARK(BM_PeakMemoryMaximumLength)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  using namespace scenario::bench;
  using namespace scenario::testing;
  // The measured runs of BM_PeakMemoryMaximumLength.
  if (argc == 3 && (argv[1] == kCompileAndWriteInto || argv[1] == kIdle)) {
    const std::filesystem::path dir = argv[2];
    if (argv[1] == kCompileAndWriteInto) {
      scenario::scenario_records records = fresh_records();
      const scenario::testing::scenario_texts texts = scenario::testing::dense_texts();
      compile_or_throw(records, texts.line_description, texts.train_service);
      write_compiled_files(records, dir);
    }
    std::ofstream(dir / "peak_kib") << own_peak_kib() << '\n';
    return 0;
  }

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
