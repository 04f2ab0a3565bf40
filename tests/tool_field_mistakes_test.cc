// What scenario-tool says about mistakes in the fields themselves, as an
// author meets them: a stray quote, a blank inside a number, separators that
// are not commas, a note without its dash, and failures shown at the field
// that causes them.  Each diagnostic is found with its id, severity, place
// and words, and the exit status is checked; the files are written as ever.
#include <gtest/gtest.h>

#include <sstream>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"
#include "testing/small_texts.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::kSignalValues;
using testing::kSmallLine;
using testing::kStationValues;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::small_service_with;
using testing::spill;
namespace {

struct mistake_case {
  std::string name;
  std::string service;
  std::string severity;
  std::string place;  // "FILE:LINE:COLUMN"
  std::string says;   // part of its message, up to its id or failure code
  int status;
};

std::vector<mistake_case> cases() {
  return {
      {"a stray quote before a station name",
       small_service_with("stazione, 14000" + kStationValues + "\"MONZA\r\nsegnale, 15050" +
                          kSignalValues + "rallentamento, 16000, 30, 500, 0, 0, 0\r\n"),
       "error", "X_T-.txt:4:59",
       "runs over 4 line ends to the end of the text, as no quote closes it: 2 entries there "
       "become part of this field and are not read; close the quote on its own line, or remove "
       "it [quote-over-lines]",
       1},
      {"a blank as a thousands separator", small_service_with("velocita, 13 800, 80\r\n"), "error",
       "X_T-.txt:4:11",
       "\"13 800\" holds two numbers: 13 is read here and 800 as the next value, for a number "
       "ends at a blank; write 13800 for one number (no blank as a thousands separator) "
       "[split-number]",
       1},
      {"a split station position",
       small_service_with("stazione, 14 600" + kStationValues + "MONZA\r\n"), "error",
       "X_T-.txt:4:11", "[split-number]", 1},
      {"a split station position fails at its field",
       small_service_with("stazione, 14 600" + kStationValues + "MONZA\r\n"), "error",
       "X_T-.txt:4:11", "(failure 8 at 14 m)", 1},
      {"a station length not a multiple of 100",
       small_service_with("stazione, 14000, 2, 450, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, MONZA\r\n"),
       "error", "X_T-.txt:4:21", "(failure 9 at 14000 m)", 1},
      {"stations too close",
       small_service_with("stazione, 14000" + kStationValues + "MONZA\r\nstazione, 14500" +
                          kStationValues + "LESMO\r\n"),
       "error", "X_T-.txt:5:11",
       "the previous station 1 (\"MONZA\", 14000 m) ends at 14200 m and this one begins at "
       "14300 m: a gap of 100 m where 350 m are needed (failure 22 at 14500 m)",
       1},
      {"semicolons in a line that is no entry", small_service_with("treni; 10\r\nsabbia, 300\r\n"),
       "error", "X_T-.txt:4:1",
       "the line is passed over; fields are separated by commas, not by \";\" or tabs "
       "[unknown-entry]",
       1},
      {"semicolons in an entry", small_service_with("sabbia; 300\r\nsabbia, 300\r\n"), "warning",
       "X_T-.txt:4:1",
       "fields are separated by commas, not by \";\" or tabs [values-from-next-line]", 1},
      {"a note without its dash",
       small_service_with("la stazione di Monza ha due binari\r\nsegnale, 15050" + kSignalValues),
       "warning", "X_T-.txt:4:1", "it reads like a note written without its dash", 1},
  };
}

class ToolFieldMistakes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  }
  run_result run(const std::string& command, const std::string& service,
                 std::vector<std::string> flags = {}) {
    spill(dir / "X_linea.txt", kSmallLine);
    spill(dir / "X_T-.txt", service);
    std::vector<std::string> args = {command, "X_linea.txt", "X_T-.txt"};
    args.insert(args.end(), flags.begin(), flags.end());
    return run_tool(dir.path(), args);
  }
  scratch_dir dir;
};

// The line of `err` that holds the diagnostic, or empty.
std::string line_with(const std::string& err, const std::string& start, const std::string& says) {
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(start, 0) == 0 && line.find(says) != std::string::npos) return line;
  return {};
}

TEST_F(ToolFieldMistakes, EachMistakeIsToldAtItsField) {
  for (const mistake_case& c : cases()) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir / "out");
    const run_result r = run("compile", c.service, {"--out", "out"});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(line_with(r.err, c.place + ": " + c.severity + ": ", c.says), "") << r.err;
    EXPECT_TRUE(fs::exists(dir / "out/X_T.sim")) << r.out;
    const run_result check = run("check", c.service);
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.err, r.err);
  }
}

}  // namespace
}  // namespace scenario::tool_e2e
