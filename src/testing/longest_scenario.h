// The scenario of the longest line (the dense layout of scenario_texts.h)
// compiled as the generator compiles it, for the benchmarks: its texts and
// its compiled files, each made once.
#ifndef SCENARIO_TESTING_LONGEST_SCENARIO_H_
#define SCENARIO_TESTING_LONGEST_SCENARIO_H_

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "format/compiled_files.h"
#include "model/records.h"
#include "testing/scenario_texts.h"

namespace scenario::testing {

const scenario_texts& maximum_length_texts();

// Records named for the made-up scenario: Sintetica, train S1.
scenario_records fresh_records();

// Compiles and insists on a clean result: a benchmark of a compilation that
// stopped early would measure nothing.
void compile_or_throw(scenario_records& records, std::string_view line, std::string_view service);

// The compiled files of the longest scenario, compiled once.
const compiled_bytes& maximum_length_files();

// The bytes of the three compiled files of `r` in `dir`.
std::size_t compiled_files_size(const scenario_records& r, const std::filesystem::path& dir);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_LONGEST_SCENARIO_H_
