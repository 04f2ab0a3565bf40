// Inputs that once made the compilation go wrong, kept so that it never does
// again.  Each runs the whole compilation of a pair of source texts, as the
// compile fuzz target does, and checks what the fuzz target checks: a known
// failure code, and compiled files whose sizes agree with their records.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "format/compiled_files.h"

namespace scenario {
namespace {

std::string replaced(std::string text, const std::string& what, const std::string& with) {
  const size_t at = text.find(what);
  if (at == std::string::npos) throw std::runtime_error("no \"" + what + "\" in the text");
  return text.replace(at, what.size(), with);
}

struct regression_case {
  const char* name;
  std::string line;
  std::string service;
  int32_t failure_code;
};

// A text longer than 65 535 bytes does not fit the 16-bit byte count of a
// table slot: written anyway, its count would wrap and every later slot of
// the table file would be read from the wrong offset.
std::vector<regression_case> cases() {
  const std::string line = dati_linea();
  const std::string service = dati_treno();
  return {
      {"station name of 70 000 bytes", line,
       replaced(service, "MILANO CENTRALE", std::string(70'000, 'M')), 25},
      {"station name of 65 536 bytes, the last station", line,
       replaced(service, "LECCO", std::string(65'536, 'L')), 25},
      {"sign board text of 65 536 bytes, quoted",
       replaced(line, "[indicazioni]",
                "[indicazioni]\r\ncartello indicatore, 3000, \"" + std::string(65'536, 'X') + "\""),
       service, 25},
      {"sign board text that runs to the end of the text, its quote never closed",
       replaced(line, "[indicazioni]",
                "[indicazioni]\r\ncartello indicatore, 3000, \"" + std::string(70'000, 'Y')),
       service, 25},
      {"station name of 65 535 bytes still fits", line,
       replaced(service, "MILANO CENTRALE", std::string(65'535, 'M')), 0},
  };
}

TEST(CompileRegression, TextsLongerThanTheirByteCountAreRefused) {
  for (const regression_case& c : cases()) {
    SCOPED_TRACE(c.name);
    scenario_records records;
    records.line_id = "Milano_Lecco";
    records.train_code = "L5244";
    const compilation result = compile_scenario(records, 1, c.line, c.service);
    EXPECT_EQ(records.failure_code, c.failure_code);
    ASSERT_TRUE(result.compiled);

    std::ostringstream table;
    write_general_table(table, records.general_table);
    size_t expected = 0;
    for (const general_entry& e : records.general_table) {
      EXPECT_LE(e.text.size(), 0xFFFFu);
      expected += kGeneralEntryFixedBytes + e.text.size();
    }
    EXPECT_EQ(table.str().size(), expected);

    std::ostringstream segments;
    write_segments(segments, records.segments);
    EXPECT_EQ(segments.str().size(),
              kSegmentCellBytes * (static_cast<size_t>(records.segment_last) + 1));
  }
}

}  // namespace
}  // namespace scenario
