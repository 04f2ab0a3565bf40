// Writes the two source texts of the synthetic scenario of the greatest
// length into a directory, for measurements of whole programs on it:
// Sintetica_linea.txt and Sintetica_S1-.txt.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "format/scenario_names.h"
#include "synthetic_scenario.h"

namespace {

bool write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  std::cerr << "write_longest_texts: cannot write " << path << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_longest_texts DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const scenario::synthetic::texts texts = scenario::synthetic::make();
  return write(dir / scenario::line_description_file_name("Sintetica"), texts.line_description) &&
                 write(dir / scenario::train_service_file_name("Sintetica", "S1"),
                       texts.train_service)
             ? 0
             : 1;
}
