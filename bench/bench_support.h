// What the benchmarks share: the scenarios they compile, a scratch output
// directory, and the writing of the three compiled files as the generator
// does it.
#ifndef SCENARIO_BENCH_BENCH_SUPPORT_H_
#define SCENARIO_BENCH_BENCH_SUPPORT_H_

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "generator/generator.h"
#include "synthetic_scenario.h"

namespace scenario::bench {

inline const synthetic::texts& maximum_length_texts() {
  static const synthetic::texts texts = synthetic::make(synthetic::kMaximumLength);
  return texts;
}

inline scenario_records fresh_records() {
  scenario_records records;
  records.line_id = "Sintetica";
  records.train_code = "S1";
  return records;
}

// Compiles and insists on a clean result: a benchmark of a compilation that
// stopped early would measure nothing.
inline void compile_or_throw(scenario_records& records, std::string_view line,
                             std::string_view service) {
  const compilation c = compile_scenario(records, 1, line, service);
  if (!c.compiled || records.failure_code != 0)
    throw std::runtime_error("the scenario did not compile: failure " +
                             std::to_string(records.failure_code));
}

// The compiled files of the maximum-length scenario, compiled once.  (The
// type is named in full: compiled_bytes() below counts written files.)
inline const scenario::compiled_bytes& maximum_length_files() {
  static const scenario::compiled_bytes files = [] {
    scenario_records r = fresh_records();
    const synthetic::texts& texts = maximum_length_texts();
    compile_or_throw(r, texts.line_description, texts.train_service);
    return compiled_files_bytes(r);
  }();
  return files;
}

// The bytes of the three compiled files in `dir`.
inline size_t compiled_bytes(const scenario_records& r, const std::filesystem::path& dir) {
  return std::filesystem::file_size(dir / line_geometry_file_name(r.line_id)) +
         std::filesystem::file_size(dir / table_file_name(r.line_id, r.train_code)) +
         std::filesystem::file_size(dir / segment_file_name(r.line_id, r.train_code));
}

class scratch_directory {
 public:
  scratch_directory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "scenario-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~scratch_directory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace scenario::bench

#endif  // SCENARIO_BENCH_BENCH_SUPPORT_H_
