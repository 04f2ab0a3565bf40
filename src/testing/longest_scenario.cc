#include "testing/longest_scenario.h"

#include <stdexcept>
#include <string>

#include "compile/compilation.h"
#include "format/scenario_names.h"

namespace scenario::testing {

const scenario_texts& maximum_length_texts() {
  static const scenario_texts texts = dense_texts(kLongestLine);
  return texts;
}

scenario_records fresh_records() {
  scenario_records records;
  records.line_id = "Sintetica";
  records.train_code = "S1";
  return records;
}

void compile_or_throw(scenario_records& records, std::string_view line, std::string_view service) {
  const compilation c = compile_scenario(records, 1, line, service);
  if (!c.compiled || records.failure_code != 0)
    throw std::runtime_error("the scenario did not compile: failure " +
                             std::to_string(records.failure_code));
}

const compiled_bytes& maximum_length_files() {
  static const compiled_bytes files = [] {
    scenario_records r = fresh_records();
    const scenario_texts& texts = maximum_length_texts();
    compile_or_throw(r, texts.line_description, texts.train_service);
    return compiled_files_bytes(r);
  }();
  return files;
}

std::size_t compiled_files_size(const scenario_records& r, const std::filesystem::path& dir) {
  return std::filesystem::file_size(dir / line_geometry_file_name(r.line_id)) +
         std::filesystem::file_size(dir / table_file_name(r.line_id, r.train_code)) +
         std::filesystem::file_size(dir / segment_file_name(r.line_id, r.train_code));
}

}  // namespace scenario::testing
