// What scenario-tool says when something an author wrote does not reach the
// compiled files: an error with its id and status 1, the files written as
// ever; --allow for the author who means it, -w that never hides it, the
// JSON's failure codes and losses; names shown as the simulator shows them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"
#include "testing/small_texts.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::kSignalValues;
using testing::kSmallLine;
using testing::kSmallService;
using testing::kStationValues;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::small_line_with;
using testing::small_service_with;
using testing::spill;
namespace {

struct loss_case {
  std::string name;
  std::string line;
  std::string service;
  std::vector<std::string> flags;
  // The first diagnostic of the text output.
  std::string severity;
  std::string place;  // "FILE:LINE:COLUMN"
  std::string says;   // part of its message, with the id in brackets
  int status;
  bool files = true;  // the compiled files are written
};

std::vector<loss_case> cases() {
  const std::string misspelt = small_service_with("stazone, 1000" + kStationValues + "ALFA\r\n");
  return {
      {"misspelt keyword",
       kSmallLine,
       misspelt,
       {},
       "error",
       "X_T-.txt:4:1",
       "\"stazone\" is not an entry of the train service description (did you mean "
       "\"stazione\"?); the line is passed over [unknown-entry]",
       1},
      {"misspelt keyword allowed",
       kSmallLine,
       misspelt,
       {"--allow", "unknown-entry"},
       "warning",
       "X_T-.txt:4:1",
       "the line is passed over [unknown-entry, allowed]",
       0},
      {"an allowed loss is no warning for --werror",
       kSmallLine,
       misspelt,
       {"--allow", "unknown-entry", "--werror"},
       "warning",
       "X_T-.txt:4:1",
       "[unknown-entry, allowed]",
       0},
      {"another id allowed leaves the loss an error",
       kSmallLine,
       misspelt,
       {"--allow", "tunnel-reversed"},
       "error",
       "X_T-.txt:4:1",
       "[unknown-entry]",
       1},
      {"-w never hides a loss",
       kSmallLine,
       misspelt,
       {"-w"},
       "error",
       "X_T-.txt:4:1",
       "[unknown-entry]",
       1},
      {"reversed tunnel",
       small_line_with("montagna, 8000, 7000, 1\r\n"),
       kSmallService,
       {},
       "error",
       "X_linea.txt:5:1",
       "\"montagna\" from 8000 to 7000 m ends before it starts: no segment is marked, though it "
       "still counts as the tunnel before the next one [tunnel-reversed]",
       1},
      {"signal in the run-out",
       kSmallLine,
       small_service_with("segnale, 21000" + kSignalValues),
       {},
       "error",
       "X_T-.txt:4:10",
       "\"segnale\" at 21000 m lies past the end of the line (20000 m), in the run-out the arrays "
       "keep beyond it; no train reaches it [beyond-line-end]",
       1},
      {"service text under [generali]",
       kSmallLine,
       "[generali]\r\nvelocita, 0, 90\r\naderenza, 0, 100\r\nstazione, 1000" + kStationValues +
           "ALFA\r\nsegnale, 6050" + kSignalValues + "[fine]\r\n",
       {},
       "error",
       "X_T-.txt:1:1",
       "the train service description has no \"[generale]\" line, where its reading begins: 1 "
       "station, 1 signal, 1 speed limit and 1 other entry are not read; line 1 holds "
       "\"[generali]\" (did you mean \"[generale]\"?) [no-general-section]",
       1},
      {"service text without [generale], allowed",
       kSmallLine,
       "velocita, 0, 90\r\n",
       {"--allow", "no-general-section"},
       "warning",
       "X_T-.txt:1:1",
       "1 speed limit is not read [no-general-section, allowed]",
       0},
      {"line description under [generali]",
       "[generali]\r\nlunghezza percorso, 20000\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n",
       kSmallService,
       {},
       "error",
       "X_linea.txt:1:1",
       "the line description has no \"[generale]\" line, so it has no route length and nothing "
       "is compiled: 1 gradient and 1 other entry are not read; line 1 holds \"[generali]\" (did "
       "you mean \"[generale]\"?) (failure 102)",
       1,
       false},
      {"a station name in Windows-1252",
       kSmallLine,
       small_service_with("stazione, 13100, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, C\xC0 DEL "
                          "BOSCO\r\nsegnale, 13050" +
                          kSignalValues),
       {},
       "error",
       "X_T-.txt:5:1",
       "segment 262 already holds the stop mark of station 1 (C\xC3\x80 DEL BOSCO, 13100 m)",
       1},
      {"a quoted field with a control byte and an undefined byte",
       kSmallLine,
       small_service_with("stazi\x81one\x1b[2J, 1000" + kStationValues + "ALFA\r\n"),
       {},
       "error",
       "X_T-.txt:4:1",
       "\"stazi\\x81one\\x1B[2J\" is not an entry",
       1},
  };
}

class ToolLosses : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  }
  run_result compile(const std::string& line, const std::string& service,
                     std::vector<std::string> flags, const std::string& command = "compile") {
    spill(dir / "X_linea.txt", line);
    spill(dir / "X_T-.txt", service);
    std::vector<std::string> args = {command, "X_linea.txt", "X_T-.txt"};
    args.insert(args.end(), flags.begin(), flags.end());
    return run_tool(dir.path(), args);
  }
  scratch_dir dir;
};

TEST_F(ToolLosses, EachLossIsAnErrorAtItsFieldAndTheFilesAreWrittenAsEver) {
  for (const loss_case& c : cases()) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir / "out");
    std::vector<std::string> flags = c.flags;
    flags.insert(flags.end(), {"--out", "out"});
    const run_result r = compile(c.line, c.service, flags);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string first = r.err.substr(0, r.err.find('\n'));
    EXPECT_EQ(first.rfind(c.place + ": " + c.severity + ": ", 0), 0u) << first;
    EXPECT_NE(first.find(c.says), std::string::npos) << first;
    EXPECT_EQ(fs::exists(dir / "out/X_T.sim"), c.files) << r.out;
    // check says the same and ends the same.
    const run_result check = compile(c.line, c.service, c.flags, "check");
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.err.substr(0, check.err.find('\n')), first);
  }
}

// The line passed over is lost: the files are those of the text without it.
TEST_F(ToolLosses, ALossChangesNoCompiledByte) {
  ASSERT_EQ(compile(kSmallLine, small_service_with(""), {"--out", "clean"}).status, 0);
  ASSERT_EQ(compile(kSmallLine, small_service_with("stazone, 1000" + kStationValues + "ALFA\r\n"),
                    {"--out", "lost"})
                .status,
            1);
  for (const char* name : {"X_linea.dat", "X_T.sim", "X_T.dat"})
    EXPECT_TRUE(read_whole_file(dir / "lost" / name) == read_whole_file(dir / "clean" / name))
        << name;
}

TEST_F(ToolLosses, JsonTellsFailuresFromLossesAndWhatWasAllowed) {
  const std::string service = small_service_with("stazone, 1000" + kStationValues +
                                                 "C\xC0\r\nsabbia, 300\r\n"
                                                 "sabbia, 200\r\nsegnale, 2000" +
                                                 kSignalValues + "segnale, 2000" + kSignalValues);
  const run_result r = compile(kSmallLine, service, {"--format", "json", "--allow", "overridden"});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["allowed"], nlohmann::json::array({"overridden"}));
  const nlohmann::json& d = report["diagnostics"];
  ASSERT_EQ(d.size(), 3u) << r.out;
  EXPECT_EQ(d[0]["id"], "unknown-entry");
  EXPECT_EQ(d[0]["severity"], "error");
  EXPECT_EQ(d[0]["loss"], true);
  EXPECT_EQ(d[0]["allowed"], false);
  EXPECT_TRUE(d[0]["failure_code"].is_null());
  EXPECT_TRUE(d[0]["code"].is_null());
  EXPECT_NE(d[0]["message"].get<std::string>().find("\"stazone\""), std::string::npos);
  EXPECT_EQ(d[1]["id"], "overridden");
  EXPECT_EQ(d[1]["severity"], "warning");
  EXPECT_EQ(d[1]["loss"], false);
  EXPECT_EQ(d[1]["allowed"], true);
  EXPECT_EQ(d[2]["id"], "16");
  EXPECT_EQ(d[2]["severity"], "error");
  EXPECT_EQ(d[2]["failure_code"], 16);
  EXPECT_EQ(d[2]["loss"], false);
  // The JSON is ASCII; its strings carry the characters themselves.
  EXPECT_EQ(r.out.find("\\\\x"), std::string::npos) << r.out;
}

TEST_F(ToolLosses, JsonCarriesNamesAsCharacters) {
  const run_result r =
      compile(kSmallLine,
              small_service_with("stazione, 13100, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, "
                                 "0,25,0, C\xC0 DEL BOSCO\r\nsegnale, 13050" +
                                 kSignalValues),
              {"--format", "json"});
  const nlohmann::json report = nlohmann::json::parse(r.out);
  ASSERT_EQ(report["diagnostics"].size(), 1u);
  EXPECT_NE(
      report["diagnostics"][0]["message"].get<std::string>().find("(C\xC3\x80 DEL BOSCO, 13100 m)"),
      std::string::npos)
      << r.out;
}

TEST_F(ToolLosses, OnlyKnownLossesAndWarningsCanBeAllowed) {
  for (const char* id : {"16", "1250", "no-such-id"}) {
    const run_result r = compile(kSmallLine, kSmallService, {"--allow", id});
    EXPECT_EQ(r.status, 2) << id;
    EXPECT_NE(r.err.find(std::string("--allow \"") + id + "\""), std::string::npos) << r.err;
  }
  // Repeated, and the arguments after it stay the texts.
  spill(dir / "X_linea.txt", small_line_with("montagna, 8000, 7000, 1\r\n"));
  spill(dir / "X_T-.txt", small_service_with("stazone, 1000" + kStationValues + "ALFA\r\n"));
  const run_result both = run_tool(dir.path(), {"check", "--allow", "unknown-entry", "--allow",
                                                "tunnel-reversed", "X_linea.txt", "X_T-.txt"});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_NE(both.err.find("[tunnel-reversed, allowed]"), std::string::npos) << both.err;
  EXPECT_NE(both.err.find("[unknown-entry, allowed]"), std::string::npos) << both.err;
}

TEST_F(ToolLosses, ExplainTellsALossFromAWarning) {
  const run_result r = run_tool(dir.path(), {"explain", "no-general-section"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("no-general-section (error, a loss): ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("misspelt"), std::string::npos) << r.out;
  const run_result list = run_tool(dir.path(), {"explain"});
  EXPECT_NE(list.out.find("unknown-entry (error, a loss)"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace scenario::tool_e2e
