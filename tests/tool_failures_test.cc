// Every numbered failure of the two readers, produced through
// `scenario-tool compile` from a small text, is reported in the compilers'
// form at the entry that caused it, or at its one field that did: the right file, line and column.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

// A line of 5 000 m (segments 0..240) and a service that only sets the
// profiles; each case adds its entries after these lines.
const std::string kLineHead = "[generale]\nlunghezza percorso, 5000\n[curve]\n";     // 3 lines
const std::string kServiceHead = "[generale]\nvelocita, 0, 90\naderenza, 0, 100\n";  // 3 lines
const std::string kStation = "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\n";
const std::string kSignal = ", 2, 4, 1, 1, 0, 2, 2,1,1, 0\n";

std::string repeated(int count, const std::function<std::string(int)>& line) {
  std::string s;
  for (int i = 1; i <= count; ++i) s += line(i);
  return s;
}

enum class in { line, service };

struct failure_case {
  int code;
  std::string line_text;
  std::string service_text;
  in file;
  int line;
  int column;
};

std::string line_with(const std::string& entries) { return kLineHead + entries + "[fine]\n"; }
std::string service_with(const std::string& entries) { return kServiceHead + entries + "[fine]\n"; }
const std::string kPlainLine = line_with("");
const std::string kPlainService = service_with("");

std::vector<failure_case> cases() {
  const std::string too_big_stop = "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 300, 0,25,0, A\n";
  return {
      {1, "[generale]\n  lunghezza percorso, 1000001\n[fine]\n", kPlainService, in::line, 2, 23},
      {2, "[generale]\nlunghezza percorso, 5000\nprogressiva chilometrica uno, 10, 0, 0\n[fine]\n",
       kPlainService, in::line, 3, 31},
      {3, "[generale]\nlunghezza percorso, 5000\nripetizione segnali 4 codici, 10, 100\n[fine]\n",
       kPlainService, in::line, 3, 31},
      {4, "[generale]\nlunghezza percorso, 5000\nripetizione segnali 4 codici, 0, 110\n[fine]\n",
       kPlainService, in::line, 3, 34},
      {5, "[generale]\nlunghezza percorso, 5000\nripetizione segnali codici, 0, 100\n[fine]\n",
       kPlainService, in::line, 3, 1},
      {6, line_with("indicatori_vmax, 1000, 90,90,90,0,,,,0\ncartello indicatore, 1000, SCRITTA\n"),
       kPlainService, in::line, 5, 1},
      {7, kPlainLine, service_with("abbattimento, 1000, 1\n\tabbattimento, 1000, 1\n"), in::service,
       5, 2},
      {8, kPlainLine, service_with("stazione, 1010, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, A\n"),
       in::service, 4, 11},
      {9, kPlainLine, service_with("stazione, 1000, 2, 450, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, A\n"),
       in::service, 4, 20},
      // 78 sign boards leave no room for a first station.
      {10,
       line_with(repeated(
           78, [](int i) { return "cartello indicatore, " + std::to_string(i * 50) + ", T\n"; })),
       service_with(kStation), in::service, 4, 1},
      {15, line_with("pendenza, 0, 0\npendenza, 20000, 5\n"), kPlainService, in::line, 5, 11},
      {15, kPlainLine, service_with("velocita, 20000, 90\n"), in::service, 4, 11},
      {16, kPlainLine, service_with("segnale, 2000" + kSignal + "segnale, 2000" + kSignal),
       in::service, 5, 1},
      {17, kPlainLine,
       service_with("segnale, 1800" + kSignal + "rallentamento, 3000, 30, 500, 0, 0, 0\n"),
       in::service, 5, 1},
      {18, kPlainLine,
       service_with("segnale, 3000" + kSignal + "rallentamento, 3000, 30, 500, 0, 0, 0\n"),
       in::service, 5, 1},
      {19, kPlainLine,
       service_with("segnale, 3500" + kSignal + "rallentamento, 3000, 30, 500, 0, 0, 0\n"),
       in::service, 5, 1},
      {20, kPlainLine,
       service_with("segnale, 1700" + kSignal + "rallentamento, 3000, 30, 500, 0, 1, 0\n"),
       in::service, 5, 1},
      {21,
       line_with(
           "indicatori_vmax, 1000, 90,90,90,0,,,,0\n   indicatori_vmax, 1000, 90,90,90,0,,,,0\n"),
       kPlainService, in::line, 5, 4},
      {22, kPlainLine,
       service_with(kStation + "stazione, 1400, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,30,0, BETA\n"),
       in::service, 5, 11},
      {24, kPlainLine, service_with("stazione, 0, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, A\n"),
       in::service, 4, 11},
      // Failure 25 points at the field that could not be read.
      {25, kPlainLine, service_with(too_big_stop), in::service, 4,
       static_cast<int>(too_big_stop.find("300")) + 1},
      {25, "[generale]\nlunghezza percorso, 5km\n[fine]\n", kPlainService, in::line, 2, 21},
      {30, line_with("pendenza, -50, 5\n"), kPlainService, in::line, 4, 11},
      {30, kPlainLine, service_with("velocita, -100, 90\n"), in::service, 4, 11},
      // The 81st tunnel.
      {31,
       line_with(repeated(81,
                          [](int i) {
                            return "montagna, " + std::to_string(i * 100) + ", " +
                                   std::to_string(i * 100 + 50) + ", 1\n";
                          })),
       kPlainService, in::line, 84, 1},
      // At the top, where the general section belongs, not at "[fine]".
      {102, "[curve]\nlunghezza percorso, 5000\n[fine]\n", kPlainService, in::line, 1, 1},
      {103, line_with("curvas, 100, 100\n"), kPlainService, in::line, 4, 1},
  };
}

class ToolFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  }
  scratch_dir dir;
};

// The failures that record the entry's position; the others leave the
// position as it was and name none.
bool names_a_position(int code) {
  static const std::set<int> positioned = {6, 7, 8, 9, 15, 16, 17, 18, 19, 20, 21, 22, 30, 31};
  return positioned.count(code) != 0;
}

TEST_F(ToolFailures, EachFailureNamesItsEntry) {
  const std::regex diagnostic(
      R"(^([^:\n]+):(\d+):(\d+): error: (.+) \(failure (\d+)( at (-?\d+) m)?\)$)");
  for (const failure_case& c : cases()) {
    SCOPED_TRACE("failure " + std::to_string(c.code));
    spill(dir / "X_linea.txt", c.line_text);
    spill(dir / "X_T-.txt", c.service_text);
    const run_result r = run_tool(dir.path(), {"compile", "X_linea.txt", "X_T-.txt"});
    EXPECT_EQ(r.status, 1) << r.err;
    // Warnings and losses may come first: the texts' own order decides.
    std::smatch m;
    std::istringstream lines(r.err);
    std::string error_line;
    while (std::getline(lines, error_line) && (error_line.find(": error: ") == std::string::npos ||
                                               error_line.find("(failure ") == std::string::npos)) {
    }
    ASSERT_TRUE(std::regex_match(error_line, m, diagnostic)) << r.err;
    EXPECT_EQ(m[1], c.file == in::line ? "X_linea.txt" : "X_T-.txt");
    EXPECT_EQ(std::stoi(m[2]), c.line);
    EXPECT_EQ(std::stoi(m[3]), c.column);
    EXPECT_EQ(std::stoi(m[5]), c.code);
    EXPECT_EQ(m[6].matched, names_a_position(c.code)) << error_line;
    EXPECT_FALSE(m[4].str().empty());
    // The author's texts stay as they were.
    EXPECT_EQ(read_whole_file(dir / "X_linea.txt"), c.line_text);
    EXPECT_EQ(read_whole_file(dir / "X_T-.txt"), c.service_text);
  }
}

TEST_F(ToolFailures, JsonCarriesTheSameDiagnostic) {
  spill(dir / "X_linea.txt", kPlainLine);
  spill(dir / "X_T-.txt", service_with("segnale, 2000" + kSignal + "segnale, 2000" + kSignal));
  const run_result r =
      run_tool(dir.path(), {"compile", "X_linea.txt", "X_T-.txt", "--format", "json"});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["failure_code"], 16);
  EXPECT_EQ(report["failure_position"], 2000);
  EXPECT_TRUE(report["stamp_error"].is_null());
  EXPECT_EQ(report["files"].size(), 3u);
  ASSERT_EQ(report["diagnostics"].size(), 1u);
  const nlohmann::json& d = report["diagnostics"][0];
  EXPECT_EQ(d["file"], "X_T-.txt");
  EXPECT_EQ(d["line"], 5);
  EXPECT_EQ(d["column"], 1);
  EXPECT_EQ(d["code"], 16);
  EXPECT_NE(d["message"].get<std::string>().find("segnale"), std::string::npos);
}

TEST_F(ToolFailures, StampErrorWritesNothing) {
  // A signal at 0 m takes cell 1, where the scenario stamp goes.
  spill(dir / "X_linea.txt", kPlainLine);
  spill(dir / "X_T-.txt", service_with("segnale, 0" + kSignal));
  const run_result r =
      run_tool(dir.path(), {"compile", "X_linea.txt", "X_T-.txt", "--format", "json"});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["stamp_error"], 1250);
  EXPECT_TRUE(report["files"].empty());
  EXPECT_FALSE(fs::exists(dir / "X_T.sim"));
  EXPECT_FALSE(fs::exists(dir / "X_linea.dat"));
  const nlohmann::json& last = report["diagnostics"].back();
  EXPECT_EQ(last["code"], 1250);
  EXPECT_TRUE(last["file"].is_null());
  EXPECT_TRUE(last["line"].is_null());
}

}  // namespace
}  // namespace scenario::tool_e2e
