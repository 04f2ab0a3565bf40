// scenario-tool as its users run it: the built-in texts compile to the
// generator's very bytes, the command line answers help and version, and
// bad command lines, unreadable inputs and unsafe identifiers are refused
// with the documented exit statuses, leaving the author's texts alone.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::built_in_compiled_names;
using testing::run_in;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

class ToolCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  }

  // Writes the built-in texts into the scratch directory.
  void write_template() {
    const run_result r = run_tool(dir.path(), {"template", "."});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  scratch_dir dir;
  const std::string line_txt = "Milano_Lecco_linea.txt";
  const std::string service_txt = "Milano_Lecco_L5244-.txt";
};

TEST_F(ToolCli, TemplateThenCompileGivesTheGeneratorsBytes) {
  scratch_dir generator_dir;
  const fs::path generator = generator_dir / "scenario-generator";
  fs::copy_file(GENERATOR_PATH, generator);
  ASSERT_EQ(run_in(generator_dir.path(), generator.string(), {}).status, 0);

  write_template();
  const run_result r = run_tool(dir.path(), {"compile", line_txt, service_txt, "--out", "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const std::string& name : built_in_compiled_names()) {
    const std::string expected = read_whole_file(generator_dir / name);
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_TRUE(read_whole_file(dir / ("out/" + name)) == expected) << name << " differs";
  }
}

TEST_F(ToolCli, CompileNeverTouchesTheSourceTexts) {
  write_template();
  const std::string line = read_whole_file(dir / line_txt),
                    service = read_whole_file(dir / service_txt);
  ASSERT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt}).status, 0);
  // A failing text is used up by the generator's readers; never by the tool.
  spill(dir / service_txt, service + "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[fine]\r\n");
  const std::string failing = read_whole_file(dir / service_txt);
  EXPECT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt}).status, 1);
  EXPECT_EQ(read_whole_file(dir / line_txt), line);
  EXPECT_EQ(read_whole_file(dir / service_txt), failing);
}

TEST_F(ToolCli, CheckWritesNothingAndJsonCarriesTheReport) {
  write_template();
  const run_result r = run_tool(dir.path(), {"check", line_txt, service_txt, "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["failure_code"], 0);
  EXPECT_TRUE(report["stamp_error"].is_null());
  EXPECT_TRUE(report["files"].empty());
  EXPECT_TRUE(report["diagnostics"].empty());
  for (const std::string& name : built_in_compiled_names()) EXPECT_FALSE(fs::exists(dir / name));
}

TEST_F(ToolCli, CompiledFilesAreStillWrittenWhenAFailureIsRecorded) {
  write_template();
  std::string service = read_whole_file(dir / service_txt);
  // A second signal on the first signal's cell: failure 16 on line 33.
  service.insert(service.find("[codici]"), "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n");
  spill(dir / service_txt, service);
  const run_result r = run_tool(dir.path(), {"compile", line_txt, service_txt, "--format", "json"});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["failure_code"], 16);
  EXPECT_EQ(report["failure_position"], 1450);
  ASSERT_EQ(report["files"].size(), 3u);
  for (const std::string& name : built_in_compiled_names()) EXPECT_TRUE(fs::exists(dir / name));
  EXPECT_EQ(report["diagnostics"][0]["file"], service_txt);
  EXPECT_EQ(report["diagnostics"][0]["line"], 53);
  EXPECT_EQ(report["diagnostics"][0]["column"], 1);
}

TEST_F(ToolCli, NoGeometryWritesNoLineGeometryFile) {
  write_template();
  ASSERT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt, "--no-geometry"}).status, 0);
  EXPECT_FALSE(fs::exists(dir / "Milano_Lecco_linea.dat"));
  EXPECT_TRUE(fs::exists(dir / "Milano_Lecco_L5244.sim"));
  EXPECT_TRUE(fs::exists(dir / "Milano_Lecco_L5244.dat"));
}

TEST_F(ToolCli, IdentifiersComeFromFlagsWhenTheNamesDoNotTell) {
  write_template();
  fs::rename(dir / line_txt, dir / "line.txt");
  fs::rename(dir / service_txt, dir / "service.txt");
  const run_result without = run_tool(dir.path(), {"compile", "line.txt", "service.txt"});
  EXPECT_EQ(without.status, 2);
  EXPECT_NE(without.err.find("--line-id"), std::string::npos) << without.err;
  const run_result with = run_tool(
      dir.path(), {"compile", "line.txt", "service.txt", "--line-id", "A", "--train-code", "B"});
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_TRUE(fs::exists(dir / "A_linea.dat"));
  EXPECT_TRUE(fs::exists(dir / "A_B.sim"));
  EXPECT_TRUE(fs::exists(dir / "A_B.dat"));
}

TEST_F(ToolCli, IdentifiersThatLeaveTheDirectoryAreRefused) {
  write_template();
  fs::create_directory(dir / "out");
  for (const auto& [flag, value] :
       std::vector<std::pair<std::string, std::string>>{{"--line-id", "../escape"},
                                                        {"--line-id", "a/b"},
                                                        {"--train-code", ".."},
                                                        {"--train-code", "x\\y"},
                                                        {"--train-code", "sub/L5244"}}) {
    const run_result r =
        run_tool(dir.path(), {"compile", line_txt, service_txt, "--out", "out", flag, value});
    EXPECT_EQ(r.status, 2) << flag << " " << value;
    EXPECT_NE(r.err.find("error"), std::string::npos);
  }
  EXPECT_TRUE(fs::is_empty(dir / "out"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST_F(ToolCli, UsageErrorsExitTwo) {
  write_template();
  const std::vector<std::vector<std::string>> command_lines = {
      {},
      {"frobnicate"},
      {"compile"},
      {"compile", line_txt},
      {"compile", line_txt, service_txt, "--format", "xml"},
      {"compile", line_txt, service_txt, "--no-such-flag"},
      {"check", line_txt, service_txt, "--out", "x"},
      {"dump"},
      {"dump", "file.dat", "--kind", "other"},
      {"dump", "file.txt"},
      {"plot"},
      {"plot", "."},  // no compiled scenario to choose
      {"view"},
      {"view", "."},
  };
  for (const auto& args : command_lines) {
    const run_result r = run_tool(dir.path(), args);
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_EQ(r.status, 2) << shown << "\n" << r.err;
    EXPECT_FALSE(r.err.empty()) << shown;
  }
}

TEST_F(ToolCli, UnreadableInputsExitThree) {
  write_template();
  fs::create_directory(dir / "Some_linea.txt");
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"compile", "Missing_linea.txt", "Missing_L1-.txt"},
                                             {"compile", line_txt, "Milano_Lecco_missing-.txt"},
                                             {"check", "Some_linea.txt", "Some_T-.txt"},
                                             {"dump", "Nothing_here.sim"}}) {
    const run_result r = run_tool(dir.path(), args);
    EXPECT_EQ(r.status, 3) << args[1] << "\n" << r.err;
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
  }
  // The missing line description is an input error, not failure 101.
  const run_result json = run_tool(dir.path(), {"compile", "Missing_linea.txt", service_txt,
                                                "--format", "json", "--train-code", "L5244"});
  EXPECT_EQ(json.status, 3);
  EXPECT_EQ(nlohmann::json::parse(json.out)["exit_status"], 3);
}

TEST_F(ToolCli, TemplateKeepsAnAuthorsTexts) {
  spill(dir / line_txt, "my own line\r\n");
  const run_result r = run_tool(dir.path(), {"template", "."});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(read_whole_file(dir / line_txt), "my own line\r\n");
  EXPECT_FALSE(fs::exists(dir / service_txt));
  EXPECT_EQ(run_tool(dir.path(), {"template", ".", "--force"}).status, 0);
  EXPECT_NE(read_whole_file(dir / line_txt), "my own line\r\n");
}

TEST_F(ToolCli, HelpForTheToolAndEveryCommand) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--help"}, "compile"},
      {{"--help"}, "docs/authoring.md"},
      {{"template", "--help"}, "DIR"},
      {{"template", "--help"}, "--annotated"},
      {{"compile", "--help"}, "--no-geometry"},
      {{"compile", "--help"}, "--werror"},
      {{"check", "--help"}, "--train-code"},
      {{"check", "--help"}, "-w"},
      {{"check", "--help"}, "--allow"},
      {{"explain", "--help"}, "ID"},
      {{"dump", "--help"}, "--kind"},
      {{"plot", "--help"}, "--output"},
      {{"view", "--help"}, "--output"},
  };
  for (const auto& [args, expected] : cases) {
    const run_result r = run_tool(dir.path(), args);
    EXPECT_EQ(r.status, 0) << args[0];
    EXPECT_NE(r.out.find(expected), std::string::npos) << args[0] << "\n" << r.out;
  }
  const run_result version = run_tool(dir.path(), {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("scenario-tool 1."), std::string::npos) << version.out;
}

TEST_F(ToolCli, DumpListsEveryCompiledFile) {
  write_template();
  ASSERT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt}).status, 0);
  const run_result table =
      run_tool(dir.path(), {"dump", "Milano_Lecco_L5244.sim", "--format", "json"});
  ASSERT_EQ(table.status, 0) << table.err;
  const nlohmann::json slots = nlohmann::json::parse(table.out)["slots"];
  ASSERT_EQ(slots.size(), 87u);
  EXPECT_EQ(slots[14]["text"], "LECCO");
  EXPECT_EQ(slots[14]["role"], "station");
  EXPECT_EQ(slots[86]["number_a"], 300);

  const run_result cells = run_tool(dir.path(), {"dump", "Milano_Lecco_L5244.dat"});
  ASSERT_EQ(cells.status, 0) << cells.err;
  EXPECT_NE(cells.out.find("segment 1006, at 50350 m: station stop mark"), std::string::npos);

  const run_result plan = run_tool(dir.path(), {"dump", "Milano_Lecco_linea.dat"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  // Every coordinate exactly: the shortest text that reads back as its double.
  EXPECT_NE(plan.out.find("\n1800 -44.815734610604025 1795.5199222766541\n"), std::string::npos);

  // A file of the wrong kind is refused, not misread.
  const run_result wrong =
      run_tool(dir.path(), {"dump", "Milano_Lecco_L5244.dat", "--kind", "table"});
  EXPECT_EQ(wrong.status, 3);
  EXPECT_NE(wrong.err.find("not a table file"), std::string::npos) << wrong.err;
}

TEST_F(ToolCli, PlotIsWellFormedSvgNamingEveryStation) {
  write_template();
  ASSERT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt, "--out", "c"}).status, 0);
  const run_result r = run_tool(dir.path(), {"plot", "c", "-o", "picture.svg"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_whole_file(dir / "picture.svg");
  for (const char* station :
       {"MILANO CENTRALE", "MILANO GRECO PIRELLI", "SESTO SAN GIOVANNI", "MONZA", "ARCORE",
        "CARNATE - USMATE", "OSNAGO", "CERNUSCO - MERATE", "OLGIATE", "AIRUNO",
        "CALOLZIOCORTE - OLGINATE", "VERCURAGO", "MAGGIANICO", "LECCO"})
    EXPECT_NE(svg.find(std::string(">") + station + "<"), std::string::npos) << station;
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xmllint is not installed";
  EXPECT_EQ(run_in(dir.path(), "xmllint", {"--noout", "picture.svg"}).status, 0);
}

TEST_F(ToolCli, ViewWritesOnePageBesideTheScenarioAndNothingForABadFile) {
  write_template();
  ASSERT_EQ(run_tool(dir.path(), {"compile", line_txt, service_txt, "--out", "c"}).status, 0);
  const run_result r = run_tool(dir.path(), {"view", "c"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = read_whole_file(dir / "c/Milano_Lecco_L5244.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("\"name\":\"CALOLZIOCORTE - OLGINATE\""), std::string::npos);
  EXPECT_EQ(run_tool(dir.path(), {"view", "c", "-o", "page.html"}).status, 0);
  EXPECT_EQ(read_whole_file(dir / "page.html"), page);

  // A segment file cut short is refused, and the page already there stays.
  const std::string cells = read_whole_file(dir / "c/Milano_Lecco_L5244.dat");
  spill(dir / "c/Milano_Lecco_L5244.dat", cells.substr(0, cells.size() - 1));
  const run_result bad = run_tool(dir.path(), {"view", "c"});
  EXPECT_EQ(bad.status, 3);
  EXPECT_NE(bad.err.find("Milano_Lecco_L5244.dat"), std::string::npos) << bad.err;
  EXPECT_EQ(read_whole_file(dir / "c/Milano_Lecco_L5244.html"), page);
}

}  // namespace
}  // namespace scenario::tool_e2e
