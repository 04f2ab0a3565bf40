// What scenario-tool says of a text that compiles but holds values stored
// otherwise than written, or a run no real train would make: warnings with
// their ids, status 0, 1 under --werror, 0 again when each is allowed.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

// One author's mistakes, one of each kind, on a 20 km line.
const std::string kLine =
    "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\npendenza, 0, 0\r\n"
    "montagna, 9000, 9500, 7\r\n[fine]\r\n";
const std::string kService =
    "[generale]\r\nvelocita, 0, 90\r\nvelocita, 12000, 0\r\naderenza, 0, 100\r\n"
    "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"
    "stazione, 4000, 3, 400, 0,1,0, 1,1,0, 4,1,1, 30, 0,20,0, BETA\r\n"
    "stazione, 7000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,0,0, GAMMA\r\n"
    "stazione, 10000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,40,0, DELTA\r\n"
    "stazione, 13000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,50,0, EPSILON\r\n"
    "segnale, 3850, 2, 4, 1, 1, 0, 2, 15,1,1, 30\r\n"
    "segnale, 15050, 1, 4, 1, 1, 0, 2, 2,1,1, 150\r\n"
    "rallentamento, 5000, 120, 500, 0, 0, 0\r\n"
    "rallentamento, 19500, 30, 800, 0, 0, 0\r\n"
    "[fine]\r\n";
const std::vector<std::string> kIds = {
    "tunnel-type-unknown",  "station-type-unknown", "station-option-cleared",
    "times-backwards",      "stop-without-time",    "time-without-stop",
    "digit-carried",        "tempo-raised",         "signal-in-station",
    "slowdown-above-limit", "slowdown-past-end",    "speed-limit-implausible",
    "tempo-unused"};

class ToolPlausibility : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    spill(dir / "X_linea.txt", kLine);
    spill(dir / "X_T-.txt", kService);
  }
  run_result check(std::vector<std::string> flags) {
    std::vector<std::string> args = {"check", "X_linea.txt", "X_T-.txt"};
    args.insert(args.end(), flags.begin(), flags.end());
    return run_tool(dir.path(), args);
  }
  scratch_dir dir;
};

TEST_F(ToolPlausibility, EachMistakeIsAWarningThatCanBeAllowed) {
  const run_result r = check({"--format", "json"});
  EXPECT_EQ(r.status, 0) << r.out;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  for (const std::string& id : kIds) {
    bool found = false;
    for (const nlohmann::json& d : report["diagnostics"])
      if (d["id"] == id) {
        found = true;
        EXPECT_EQ(d["severity"], "warning") << id;
        EXPECT_EQ(d["loss"], false) << id;
      }
    EXPECT_TRUE(found) << id << "\n" << r.out;
  }
  EXPECT_EQ(check({"--werror"}).status, 1);
  std::vector<std::string> allowed = {"--werror"};
  for (const std::string& id : kIds) allowed.insert(allowed.end(), {"--allow", id});
  const run_result all = check(allowed);
  EXPECT_EQ(all.status, 0) << all.err;
}

}  // namespace
}  // namespace scenario::tool_e2e
