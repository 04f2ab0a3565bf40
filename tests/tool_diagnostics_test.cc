// What scenario-tool tells an author about texts it compiles: warnings in
// the compilers' form with the source line and a caret, --werror and -w,
// JSON severity and id, colour only for a terminal, `explain` for every
// code and id, the annotated template; and the generator's --help.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "compile/explanations.h"
#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"
#include "testing/small_texts.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::built_in_compiled_names;
using testing::kSmallLine;
using testing::kSmallService;
using testing::run_in;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::small_service_with;
using testing::spill;
namespace {

class ToolDiagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  }
  run_result compile(const std::string& line, const std::string& service,
                     std::vector<std::string> flags = {}) {
    spill(dir / "X_linea.txt", line);
    spill(dir / "X_T-.txt", service);
    std::vector<std::string> args = {"compile", "X_linea.txt", "X_T-.txt"};
    args.insert(args.end(), flags.begin(), flags.end());
    return run_tool(dir.path(), args);
  }
  scratch_dir dir;
};

TEST_F(ToolDiagnostics, WarningsShowTheLineAndACaretAndKeepTheFiles) {
  const run_result plain = compile(kSmallLine, kSmallService, {"--out", "plain"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.err, "");
  // A speed off its 5 km/h step is rounded: the same files, a warning, status 0.
  const run_result r =
      compile(kSmallLine, small_service_with("velocita, 1000, 92\r\n"), {"--out", "w"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "X_T-.txt:4:17: warning: speed limit 92 km/h is stored as 90 km/h: speeds are kept in "
            "steps of 5 km/h [value-rounded]\n"
            " 4 | velocita, 1000, 92\n"
            "   |                 ^\n");
  for (const char* name : {"X_linea.dat", "X_T.sim", "X_T.dat"})
    EXPECT_TRUE(read_whole_file(dir / (std::string("w/") + name)) ==
                read_whole_file(dir / (std::string("plain/") + name)))
        << name;
}

TEST_F(ToolDiagnostics, AFailureNamesTheFieldThatCausedIt) {
  // A speed too large is found only when the next speed is stored.
  const run_result r =
      compile(kSmallLine, small_service_with("velocita, 1000, 3000\r\nvelocita, 2000, 90\r\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
            "X_T-.txt:4:17: error: speed 3000 km/h is out of range: a segment keeps speed / 5, "
            "which must lie between 0 and 255 (speeds from 0 to 1277 km/h) (failure 25)");
  EXPECT_NE(r.err.find(" 4 | velocita, 1000, 3000\n   |                 ^\n"), std::string::npos)
      << r.err;
}

TEST_F(ToolDiagnostics, AConflictNamesWhatHoldsTheSegment) {
  const run_result r = compile(
      kSmallLine,
      small_service_with("stazione, 13100, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, SAN ROCCO\r\n"
                         "segnale, 13050, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("X_T-.txt:5:1: error: \"segnale\" at 13050 m: segment 262 already holds the "
                       "stop mark of station 1 (SAN ROCCO, 13100 m) (line 4) (failure 16 at "
                       "13050 m)"),
            std::string::npos)
      << r.err;
}

TEST_F(ToolDiagnostics, WerrorAndHiddenWarnings) {
  const std::string service = small_service_with("sabbia, 300\r\nsabbia, 200\r\n");
  const run_result werror = compile(kSmallLine, service, {"--werror"});
  EXPECT_EQ(werror.status, 1);
  EXPECT_NE(werror.err.find("[overridden]"), std::string::npos);
  EXPECT_NE(werror.err.find("1 warning treated as errors (--werror)"), std::string::npos);
  const run_result hidden = compile(kSmallLine, service, {"-w"});
  EXPECT_EQ(hidden.status, 0);
  EXPECT_EQ(hidden.err, "");
  // -w leaves no warning for --werror to count.
  EXPECT_EQ(compile(kSmallLine, service, {"-w", "--werror"}).status, 0);
  // check takes the same flags.
  spill(dir / "X_T-.txt", service);
  EXPECT_EQ(run_tool(dir.path(), {"check", "X_linea.txt", "X_T-.txt", "--werror"}).status, 1);
}

TEST_F(ToolDiagnostics, JsonGivesSeverityAndId) {
  const run_result r =
      compile(kSmallLine,
              small_service_with(
                  "sabbia, 300\r\nsabbia, 200\r\nsegnale, 2000, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n"
                  "segnale, 2000, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n"),
              {"--format", "json"});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  ASSERT_EQ(report["diagnostics"].size(), 2u);
  const nlohmann::json& warning = report["diagnostics"][0];
  EXPECT_EQ(warning["severity"], "warning");
  EXPECT_EQ(warning["id"], "overridden");
  EXPECT_EQ(warning["line"], 5);
  EXPECT_TRUE(warning["code"].is_null());
  const nlohmann::json& error = report["diagnostics"][1];
  EXPECT_EQ(error["severity"], "error");
  EXPECT_EQ(error["id"], "16");
  EXPECT_EQ(error["code"], 16);
}

TEST_F(ToolDiagnostics, ColourOnlyOnATerminalWithoutNoColor) {
  if (std::system("command -v script >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "script (util-linux) is not installed";
  spill(dir / "X_linea.txt", kSmallLine);
  spill(dir / "X_T-.txt", small_service_with("sabbia, 300\r\nsabbia, 200\r\n"));
  // script gives the tool a terminal; its output is what the terminal got.
  const std::string command = std::string(TOOL_PATH) + " check X_linea.txt X_T-.txt";
  const run_result terminal = run_in(dir.path(), "script", {"-qec", command, "/dev/null"});
  EXPECT_NE(terminal.out.find("\x1b[1;35mwarning:"), std::string::npos) << terminal.out;
  const run_result no_color =
      run_in(dir.path(), "script", {"-qec", "NO_COLOR=1 " + command, "/dev/null"});
  EXPECT_NE(no_color.out.find("warning:"), std::string::npos) << no_color.out;
  EXPECT_EQ(no_color.out.find('\x1b'), std::string::npos) << no_color.out;
  const run_result file = run_tool(dir.path(), {"check", "X_linea.txt", "X_T-.txt"});
  EXPECT_EQ(file.err.find('\x1b'), std::string::npos);
}

TEST_F(ToolDiagnostics, ExplainEveryCodeAndWarning) {
  for (const explanation& e : explanations()) {
    const run_result r = run_tool(dir.path(), {"explain", std::string(e.id)});
    EXPECT_EQ(r.status, 0) << e.id;
    EXPECT_EQ(r.out.find(std::string(e.meaning)), r.out.find(": ") + 2) << r.out;
    EXPECT_NE(r.out.find("What happens:\n"), std::string::npos) << e.id;
    EXPECT_NE(r.out.find("How to fix it:\n"), std::string::npos) << e.id;
  }
  const run_result unknown = run_tool(dir.path(), {"explain", "no-such-warning"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no-such-warning"), std::string::npos);
  const run_result list = run_tool(dir.path(), {"explain"});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("slowdown-in-one-segment (warning)"), std::string::npos);
  EXPECT_NE(list.out.find("failure 16 (error)"), std::string::npos);
}

TEST_F(ToolDiagnostics, AnnotatedTemplateCompilesToTheSameBytesWithoutAWarning) {
  ASSERT_EQ(run_tool(dir.path(), {"template", "plain"}).status, 0);
  ASSERT_EQ(run_tool(dir.path(), {"template", "annotated", "--annotated"}).status, 0);
  const std::string line = "Milano_Lecco_linea.txt", service = "Milano_Lecco_L5244-.txt";
  EXPECT_GT(read_whole_file(dir / ("annotated/" + line)).size(),
            read_whole_file(dir / ("plain/" + line)).size());
  for (const char* texts : {"plain", "annotated"}) {
    const std::string at = std::string(texts) + "/";
    for (const char* geometry : {"", "--no-geometry"}) {
      std::vector<std::string> args = {
          "compile", at + line, at + service, "--out", at + "out" + geometry, "--werror"};
      if (*geometry != '\0') args.push_back(geometry);
      const run_result r = run_tool(dir.path(), args);
      EXPECT_EQ(r.status, 0) << texts << geometry << "\n" << r.err;
      EXPECT_EQ(r.err, "") << texts;
    }
  }
  for (const std::string& name : built_in_compiled_names())
    EXPECT_TRUE(read_whole_file(dir / ("annotated/out/" + name)) ==
                read_whole_file(dir / ("plain/out/" + name)))
        << name;
}

TEST_F(ToolDiagnostics, PlotSaysAScenarioWasCompiledWithAFailure) {
  ASSERT_EQ(run_tool(dir.path(), {"template", "."}).status, 0);
  const std::string line = "Milano_Lecco_linea.txt", service = "Milano_Lecco_L5244-.txt";
  const std::string good = read_whole_file(dir / service);
  std::string failing = good;
  failing.insert(failing.find("[codici]"), "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n");
  auto plot = [this] {
    EXPECT_EQ(run_tool(dir.path(), {"plot", "c", "-o", "picture.svg"}).status, 0);
    return read_whole_file(dir / "picture.svg");
  };
  spill(dir / service, failing);
  EXPECT_EQ(run_tool(dir.path(), {"compile", line, service, "--out", "c"}).status, 1);
  EXPECT_NE(plot().find(">Compiled with failure 16 at 1450 m: &quot;segnale&quot; at 1450 m"),
            std::string::npos);
  const std::string failed_record = read_whole_file(dir / "c/Milano_Lecco_L5244.report.json");

  spill(dir / service, good);
  EXPECT_EQ(run_tool(dir.path(), {"compile", line, service, "--out", "c"}).status, 0);
  EXPECT_EQ(plot().find("Compiled with failure"), std::string::npos);
  // A record left from other files says nothing about these.
  spill(dir / "c/Milano_Lecco_L5244.report.json", failed_record);
  EXPECT_EQ(plot().find("Compiled with failure"), std::string::npos);
}

TEST_F(ToolDiagnostics, GeneratorHelpWritesNothing) {
  const fs::path generator = dir / "scenario-generator";
  fs::copy_file(GENERATOR_PATH, generator);
  const run_result help = run_in(dir.path(), generator.string(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: scenario-generator"), std::string::npos) << help.out;
  const run_result other = run_in(dir.path(), generator.string(), {"now"});
  EXPECT_EQ(other.status, 2);
  EXPECT_NE(other.err.find("takes no arguments"), std::string::npos) << other.err;
  // Only the program itself is there.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  // Without an argument it runs as it always has.
  EXPECT_EQ(run_in(dir.path(), generator.string(), {}).status, 0);
  EXPECT_TRUE(fs::exists(dir / "Milano_Lecco_L5244.dat"));
}

}  // namespace
}  // namespace scenario::tool_e2e
