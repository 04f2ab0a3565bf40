// Writes the two source texts of the synthetic scenario (the benchmarks'
// long, dense line) into a directory, for the browser tests to compile with
// scenario-tool and view:
//
//   synthetic_texts DIR [LENGTH]
//
// LENGTH is in metres, a multiple of 1000 from 20 000 to 1 000 000 (the
// default, the longest line a scenario may have).  The texts are named
// Sintetica_linea.txt and Sintetica_S1-.txt.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/synthetic_scenario.h"

namespace {

bool write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) std::cerr << "synthetic_texts: cannot write " << path.string() << '\n';
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: synthetic_texts DIR [LENGTH]\n";
    return 2;
  }
  int64_t length = scenario::synthetic::kMaximumLength;
  if (argc == 3) {
    char* end = nullptr;
    length = std::strtoll(argv[2], &end, 10);
    if (*end != '\0' || length < 20'000 || length > scenario::synthetic::kMaximumLength ||
        length % 1000 != 0) {
      std::cerr << "synthetic_texts: LENGTH must be a multiple of 1000 from 20000 to 1000000\n";
      return 2;
    }
  }
  const std::filesystem::path dir = argv[1];
  const scenario::synthetic::texts texts = scenario::synthetic::make(length);
  return write(dir / "Sintetica_linea.txt", texts.line_description) &&
                 write(dir / "Sintetica_S1-.txt", texts.train_service)
             ? 0
             : 1;
}
