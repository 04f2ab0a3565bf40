// The language server on the texts of the longest line (1 000 000 m): from
// a change of one value to the diagnostics of the pair computed and sent,
// without the debounce; a hover and a completion request on those texts;
// and the peak memory of a server holding both texts open.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/longest_scenario.h"
#include "testing/scratch_dir.h"
#include "tool/lsp/document_text.h"
#include "tool/lsp/server.h"

namespace scenario::bench {
namespace {

using namespace scenario::tool::lsp;

const std::string kLineUri = "file:///bench/Sintetica_linea.txt";
const std::string kServiceUri = "file:///bench/Sintetica_S1-.txt";

json notification(const std::string& method, const json& params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

// A server with both texts open and compiled; counts what it sends.
struct open_pair {
  std::size_t sent = 0;
  server s{library_features(), [this](const json&) { ++sent; }};
  int version = 1;

  open_pair() {
    const testing::scenario_texts& texts = testing::maximum_length_texts();
    s.handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
    for (const auto& [uri, text] : {std::pair{kLineUri, &texts.line_description},
                                    std::pair{kServiceUri, &texts.train_service}})
      s.handle(notification(
          "textDocument/didOpen",
          {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", to_utf8(*text)}}}}));
    s.compile_and_publish_all();
  }
};

// The first speed value of the service text: its line and columns.
struct value_place {
  int line = 0, start = 0, end = 0;
};
value_place first_speed() {
  const std::string& text = testing::maximum_length_texts().train_service;
  const std::size_t at = text.find("\nvelocita,");
  int line = 1;
  for (std::size_t i = 0; i < at; ++i) line += text[i] == '\n';
  const std::size_t end = text.find_first_of("\r\n", at + 1);
  const std::size_t start = text.find_last_of(' ', end) + 1;
  const std::size_t begin = at + 1;
  return {line, static_cast<int>(start - begin), static_cast<int>(end - begin)};
}

void BM_LspChangeToDiagnostics(benchmark::State& state) {
  open_pair pair;
  value_place v = first_speed();
  const char* values[] = {"80", "90"};
  for (auto _ : state) {
    const std::string value = values[pair.version % 2];
    const json range = {{"start", {{"line", v.line}, {"character", v.start}}},
                        {"end", {{"line", v.line}, {"character", v.end}}}};
    json change = json::array();
    change.push_back({{"range", range}, {"text", value}});
    pair.s.handle(
        notification("textDocument/didChange",
                     {{"textDocument", {{"uri", kServiceUri}, {"version", ++pair.version}}},
                      {"contentChanges", change}}));
    v.end = v.start + static_cast<int>(value.size());
    const std::size_t before = pair.sent;
    pair.s.compile_and_publish_all();
    if (pair.sent != before + 2) {
      state.SkipWithError("the pair's diagnostics were not published");
      break;
    }
  }
}
BENCHMARK(BM_LspChangeToDiagnostics)->Unit(benchmark::kMillisecond);

template <const char* kMethod>
void BM_LspRequest(benchmark::State& state) {
  open_pair pair;
  const value_place v = first_speed();
  const json request = {{"jsonrpc", "2.0"},
                        {"id", 7},
                        {"method", kMethod},
                        {"params",
                         {{"textDocument", {{"uri", kServiceUri}}},
                          {"position", {{"line", v.line}, {"character", v.start}}}}}};
  for (auto _ : state) pair.s.handle(request);
}
constexpr char kHover[] = "textDocument/hover";
constexpr char kCompletion[] = "textDocument/completion";
BENCHMARK(BM_LspRequest<kHover>)->Name("BM_LspHover")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LspRequest<kCompletion>)->Name("BM_LspCompletion")->Unit(benchmark::kMillisecond);

// Peak resident memory of a process that opens both texts in a server and
// compiles them, measured in a fresh run of this program (see main).
constexpr std::string_view kOpenBoth = "--open-both-into";

long own_peak_kib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

void BM_LspPeakMemoryBothOpen(benchmark::State& state) {
  testing::scratch_dir dir;
  long peak = -1;
  for (auto _ : state) {
    std::string self = "/proc/self/exe", mode(kOpenBoth), dir_arg = dir.path().string();
    char* argv[] = {self.data(), mode.data(), dir_arg.data(), nullptr};
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ) != 0 ||
        waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the measured run failed");
      return;
    }
    std::ifstream(dir.path() / "peak_kib") >> peak;
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024.0;
}
BENCHMARK(BM_LspPeakMemoryBothOpen)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  using namespace scenario::bench;
  if (argc == 3 && argv[1] == kOpenBoth) {
    { const open_pair pair; }
    std::ofstream(std::filesystem::path(argv[2]) / "peak_kib") << own_peak_kib() << '\n';
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
