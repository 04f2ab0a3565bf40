// Writing the three compiled files, and the maximum-length scenario compiled
// and written against one large write of the same number of bytes: the
// compilation should cost less than the disk does.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <streambuf>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/compiled_set.h"
#include "testing/longest_scenario.h"
#include "testing/scratch_dir.h"

namespace scenario::bench {
namespace {

using testing::compile_or_throw;
using testing::compiled_files_size;
using testing::fresh_records;
using testing::maximum_length_texts;

const scenario_records& maximum_length_records() {
  static const scenario_records records = [] {
    scenario_records r = fresh_records();
    const testing::scenario_texts& texts = maximum_length_texts();
    compile_or_throw(r, texts.line_description, texts.train_service);
    return r;
  }();
  return records;
}

size_t maximum_length_file_bytes() {
  static const size_t bytes = [] {
    testing::scratch_dir dir;
    write_compiled_files(maximum_length_records(), dir.path());
    return compiled_files_size(maximum_length_records(), dir.path());
  }();
  return bytes;
}

// Keeps nothing: measures the encoding alone.
class discarding_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void BM_EncodeMaximumLength(benchmark::State& state) {
  const scenario_records& r = maximum_length_records();
  discarding_buffer sink;
  std::ostream out(&sink);
  for (auto _ : state) {
    write_line_geometry(out, r.track_geometry);
    write_general_table(out, r.general_table);
    write_segments(out, r.segments);
  }
  state.SetBytesProcessed(state.iterations() * maximum_length_file_bytes());
}
BENCHMARK(BM_EncodeMaximumLength)->Unit(benchmark::kMillisecond);

// The table and segment files alone: the writer walks each record's fields.
void BM_EncodeTableAndSegments(benchmark::State& state) {
  const scenario_records& r = maximum_length_records();
  for (auto _ : state) {
    const std::string table = general_table_bytes(r.general_table);
    const std::string cells = segments_bytes(r.segments);
    benchmark::DoNotOptimize(table.data());
    benchmark::DoNotOptimize(cells.data());
  }
}
BENCHMARK(BM_EncodeTableAndSegments)->Unit(benchmark::kMicrosecond);

void BM_WriteBuiltIn(benchmark::State& state) {
  scenario_records r = fresh_records();
  compile_or_throw(r, dati_linea(), dati_treno());
  testing::scratch_dir dir;
  for (auto _ : state) write_compiled_files(r, dir.path());
  state.SetBytesProcessed(state.iterations() * compiled_files_size(r, dir.path()));
}
BENCHMARK(BM_WriteBuiltIn)->Unit(benchmark::kMillisecond);

void BM_WriteMaximumLength(benchmark::State& state) {
  const scenario_records& r = maximum_length_records();
  testing::scratch_dir dir;
  for (auto _ : state) write_compiled_files(r, dir.path());
  state.SetBytesProcessed(state.iterations() * maximum_length_file_bytes());
}
BENCHMARK(BM_WriteMaximumLength)->Unit(benchmark::kMillisecond);

void compile_and_write(const std::filesystem::path& dir) {
  const testing::scenario_texts& texts = maximum_length_texts();
  scenario_records r = fresh_records();
  compile_or_throw(r, texts.line_description, texts.train_service);
  write_compiled_files(r, dir);
}

// The same bytes in one write(2), replacing the earlier file the same way the
// generator does: a temporary file, on the disk before it is renamed.
void one_large_write(const std::filesystem::path& dir, const std::string& bytes) {
  const std::string temporary = (dir / "one_write.tmp").string();
  const std::string final_name = (dir / "one_write.dat").string();
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + temporary);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) throw std::runtime_error("cannot write " + temporary);
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) throw std::runtime_error("cannot write " + temporary);
  ::close(fd);
  if (std::rename(temporary.c_str(), final_name.c_str()) != 0)
    throw std::runtime_error("cannot rename " + temporary);
}

void BM_CompileAndWriteMaximumLength(benchmark::State& state) {
  testing::scratch_dir dir;
  for (auto _ : state) compile_and_write(dir.path());
  state.SetBytesProcessed(state.iterations() * maximum_length_file_bytes());
}
BENCHMARK(BM_CompileAndWriteMaximumLength)->Unit(benchmark::kMillisecond);

void BM_OneLargeWriteOfTheSameBytes(benchmark::State& state) {
  const std::string bytes(maximum_length_file_bytes(), '\x5a');
  testing::scratch_dir dir;
  for (auto _ : state) one_large_write(dir.path(), bytes);
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_OneLargeWriteOfTheSameBytes)->Unit(benchmark::kMillisecond);

// Both in turn within each iteration, so that the machine's noise falls on
// both alike; the counter is the ratio of their total times.
void BM_CompileAndWriteOverOneWrite(benchmark::State& state) {
  const std::string bytes(maximum_length_file_bytes(), '\x5a');
  testing::scratch_dir dir;
  using clock = std::chrono::steady_clock;
  clock::duration compiled{}, written{};
  for (auto _ : state) {
    const auto t0 = clock::now();
    compile_and_write(dir.path());
    const auto t1 = clock::now();
    one_large_write(dir.path(), bytes);
    const auto t2 = clock::now();
    compiled += t1 - t0;
    written += t2 - t1;
  }
  state.counters["ratio"] = std::chrono::duration<double>(compiled).count() /
                            std::chrono::duration<double>(written).count();
}
BENCHMARK(BM_CompileAndWriteOverOneWrite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
