// Writes the two source texts of the dense made-up scenario into a
// directory, for measurements of whole programs (bench/whole_process.sh) and
// for the browser tests to compile with scenario-tool and view:
//
//   write_longest_texts DIR [LENGTH]
//
// LENGTH is in metres, a multiple of 1000 from 20 000 to 1 000 000 (the
// default, the longest line a scenario may have).  The texts are named
// Sintetica_linea.txt and Sintetica_S1-.txt.
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "format/scenario_names.h"
#include "testing/scenario_texts.h"
#include "testing/scratch_dir.h"

namespace {

using scenario::testing::kLongestLine;

// The length asked for, or 0 when it is not one the generator takes.
int64_t length_of(const char* text) {
  char* end = nullptr;
  const long long length = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || length < 20'000 || length > kLongestLine || length % 1000 != 0)
    return 0;
  return length;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: write_longest_texts DIR [LENGTH]\n";
    return 2;
  }
  const int64_t length = argc == 3 ? length_of(argv[2]) : kLongestLine;
  if (length == 0) {
    std::cerr << "write_longest_texts: LENGTH must be a multiple of 1000 from 20000 to 1000000\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const scenario::testing::scenario_texts texts = scenario::testing::dense_texts(length);
  try {
    scenario::testing::spill(dir / scenario::line_description_file_name("Sintetica"),
                             texts.line_description);
    scenario::testing::spill(dir / scenario::train_service_file_name("Sintetica", "S1"),
                             texts.train_service);
  } catch (const std::exception& e) {
    std::cerr << "write_longest_texts: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
