// scenario-tool diff as its users run it: folders of compiled files and
// pairs of source texts compared by name, the exit statuses of diff(1),
// damaged files refused in one line, and compiled files under git shown as
// listings through dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::quoted;
using testing::run_in;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

size_t line_count(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class ToolDiff : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    ASSERT_EQ(run_tool(dir.path(), {"template", "src"}).status, 0);
    compile("src", "old");
  }

  void compile(const std::string& texts, const std::string& out,
               std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"compile", texts + "/" + line_txt, texts + "/" + service_txt,
                                     "--out", out};
    args.insert(args.end(), more.begin(), more.end());
    const run_result r = run_tool(dir.path(), args);
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // A copy of the built-in texts in `texts` with one edit to the service.
  void edited_copy(const std::string& texts, const std::string& from, const std::string& to) {
    fs::create_directories(dir / texts);
    fs::copy_file(dir / ("src/" + line_txt), dir / (texts + "/" + line_txt));
    std::string service = read_whole_file(dir / ("src/" + service_txt));
    const size_t at = service.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    spill(dir / (texts + "/" + service_txt), service.replace(at, from.size(), to));
  }

  std::string texts_of(const std::string& folder) const {
    return folder + "/" + line_txt + "," + folder + "/" + service_txt;
  }

  scratch_dir dir;
  const std::string line_txt = "Milano_Lecco_linea.txt";
  const std::string service_txt = "Milano_Lecco_L5244-.txt";
  const std::string changed_signal =
      "  changed signal, segment 281, at 14000 m: value1 (s1*10+d1) 42 -> 32\n";
};

TEST_F(ToolDiff, TheSameScenarioGivesNothingAndExitsZero) {
  // A folder against itself, and against its texts compiled in memory.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", "old", "old"},
        std::vector<std::string>{"diff", texts_of("src"), "old"},
        std::vector<std::string>{"diff", "old", texts_of("src"), "--format", "json"}}) {
    const run_result r = run_tool(dir.path(), args);
    EXPECT_EQ(r.status, 0) << args[1] << " " << args[2] << ": " << r.err;
    EXPECT_EQ(r.err, "");
    if (args.size() > 3)
      EXPECT_TRUE(nlohmann::json::parse(r.out)["same"].get<bool>()) << r.out;
    else
      EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(fs::exists(dir / ("src/Milano_Lecco_L5244.dat"))) << "diff wrote compiled files";
}

TEST_F(ToolDiff, AChangedSignalIsNamedAtItsPositionAndExitsOne) {
  edited_copy("new_src", "segnale,   14000,   2, 4,", "segnale,   14000,   2, 3,");
  compile("new_src", "new");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", "old", "new"},
        std::vector<std::string>{"diff", "old", texts_of("new_src")}}) {
    const run_result r = run_tool(dir.path(), args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "segments\n" + changed_signal);
  }
  const run_result json = run_tool(dir.path(), {"diff", "new", "old", "--format", "json"});
  EXPECT_EQ(json.status, 1) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  ASSERT_EQ(j["segments"]["objects"].size(), 1u) << json.out;
  const nlohmann::json& change = j["segments"]["objects"][0];
  EXPECT_EQ(change["change"], "changed");
  EXPECT_EQ(change["kind_name"], "signal");
  EXPECT_EQ(change["new"]["position"], 14000);
  EXPECT_EQ(change["old"]["index"], 281);
  EXPECT_EQ(change["fields"][0]["old"], 32);
  EXPECT_EQ(change["fields"][0]["new"], 42);
  // dump names the same cell at the same position.
  const run_result dump = run_tool(dir.path(), {"dump", "new/Milano_Lecco_L5244.dat"});
  EXPECT_NE(dump.out.find("segment 281, at 14000 m: signal [1] value1 (s1*10+d1)=32"),
            std::string::npos);
}

// One clear line naming the file and the byte offset, exit 3, as dump and
// decompile give them.
TEST_F(ToolDiff, DamagedTruncatedAndOversizeFilesExitThree) {
  const std::string segments = read_whole_file(dir / "old/Milano_Lecco_L5244.dat");
  const std::string geometry = read_whole_file(dir / "old/Milano_Lecco_linea.dat");
  std::string unknown_tag = geometry;
  unknown_tag[4] = 9;
  struct damage {
    std::string file, bytes, message;
  };
  const damage cases[] = {
      {"Milano_Lecco_L5244.dat", segments.substr(0, segments.size() - 7),
       "bad/Milano_Lecco_L5244.dat: error: at byte 18300: truncated"},
      {"Milano_Lecco_linea.dat", unknown_tag,
       "bad/Milano_Lecco_linea.dat: error: at byte 4: unknown cell tag 9"},
      {"Milano_Lecco_L5244.sim", read_whole_file(dir / "old/Milano_Lecco_L5244.sim") + "x",
       "bad/Milano_Lecco_L5244.sim: error: at byte 3139: 1 bytes after the last"},
      {"Milano_Lecco_L5244.dat", std::string(15'000'000, '\0'),
       "scenario-tool: error: cannot read bad/Milano_Lecco_L5244.dat: 15000000 bytes, more than "
       "the 302115"},
  };
  for (const damage& d : cases) {
    for (const char* format : {"text", "json"}) {
      SCOPED_TRACE(d.message + " as " + format);
      fs::remove_all(dir / "bad");
      fs::copy(dir / "old", dir / "bad");
      spill(dir / ("bad/" + d.file), d.bytes);
      for (const std::vector<std::string>& args :
           {std::vector<std::string>{"diff", "old", "bad", "--format", format},
            std::vector<std::string>{"diff", "bad", "old", "--format", format}}) {
        const run_result r = run_tool(dir.path(), args);
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err.rfind(d.message, 0), 0u) << r.err;
        EXPECT_EQ(line_count(r.err), 1u) << r.err;
        if (std::string(format) == "json") {
          EXPECT_EQ(nlohmann::json::parse(r.out)["exit_status"], 3) << r.out;
        } else {
          EXPECT_EQ(r.out, "");
        }
      }
    }
  }
}

TEST_F(ToolDiff, BadCommandLinesExitTwoAndMissingInputsThree) {
  spill(dir / "plain.dat", "x");
  struct command_case {
    std::vector<std::string> args;
    int status;
    std::string says;
  };
  const command_case cases[] = {
      {{"diff", "old"}, 2, "NEW is required"},
      {{"diff", "old", "old", "--format", "xml"}, 2, "--format"},
      {{"diff", "old", "old", "--context", "-1"}, 2, "--context must be 0 or more"},
      {{"diff", "old", "plain.dat"}, 2, "plain.dat is not a directory"},
      {{"diff", "old", "gone"}, 3, "cannot read gone"},
      {{"diff", "old", "src/none_linea.txt,src/none_X-.txt"}, 3, "none_linea.txt"},
      {{"diff", "old", "src/a.txt,src/b.txt"}, 2, "cannot tell the line identifier"},
  };
  for (const command_case& c : cases) {
    const run_result r = run_tool(dir.path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(ToolDiff, AFolderWithoutItsRoutePlanOrItsRecordIsComparedWithANote) {
  compile("src", "plain", {"--no-geometry"});
  const run_result r = run_tool(dir.path(), {"diff", "plain", "old"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out,
            "route plan\n  only in the new scenario (the other has no line geometry file)\n");
  // A set whose record tells of a failure: what was read before it.
  edited_copy("failing_src", "[codici]", "segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[codici]");
  ASSERT_EQ(run_tool(dir.path(), {"compile", "failing_src/" + line_txt,
                                  "failing_src/" + service_txt, "--out", "failing"})
                .status,
            1);
  const run_result failing = run_tool(dir.path(), {"diff", "failing", "failing"});
  EXPECT_EQ(failing.status, 0) << failing.err;
  EXPECT_NE(failing.err.find("scenario-tool: note: failing was compiled with failure 16 at 1450 m"),
            std::string::npos)
      << failing.err;
  fs::remove(dir / "old/Milano_Lecco_L5244.report.json");
  const run_result noted = run_tool(dir.path(), {"diff", "old", "old"});
  EXPECT_EQ(noted.status, 0);
  EXPECT_NE(noted.err.find("scenario-tool: note: no compile record"), std::string::npos)
      << noted.err;
}

// The indented lines of the authors' guide that follow the line holding
// `after`, up to the next line that is not indented.
std::vector<std::string> guide_block(const std::string& after) {
  const std::string guide =
      read_whole_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/authoring.md");
  std::vector<std::string> lines;
  size_t at = guide.find(after);
  if (at == std::string::npos) return lines;
  at = guide.find("\n\n", at) + 2;
  while (at < guide.size() && guide.compare(at, 4, "    ") == 0) {
    const size_t end = guide.find('\n', at);
    lines.push_back(guide.substr(at + 4, end - at - 4));
    at = end + 1;
  }
  return lines;
}

// The set-up the authors' guide gives, taken from the guide: git shows a
// compiled file through dump, so that a changed signal reads as its cell.
TEST_F(ToolDiff, GitShowsACommittedChangeByNameThroughDump) {
  if (std::system("git --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "git is not installed";
  const std::vector<std::string> attributes = guide_block("repository's `.gitattributes`:");
  const std::vector<std::string> config = guide_block("once in each clone");
  ASSERT_FALSE(attributes.empty());
  ASSERT_EQ(config.size(), 1u);
  const std::string tool_word = "\"scenario-tool dump\"";
  const size_t tool_at = config[0].find(tool_word);
  ASSERT_NE(tool_at, std::string::npos) << config[0];
  const std::string configure = config[0].substr(0, tool_at) +
                                quoted(std::string(TOOL_PATH) + " dump") +
                                config[0].substr(tool_at + tool_word.size());

  edited_copy("new_src", "segnale,   14000,   2, 4,", "segnale,   14000,   2, 3,");
  compile("new_src", "new");
  const fs::path repo = dir / "repo";
  std::string gitattributes;
  for (const std::string& line : attributes) gitattributes += line + "\n";
  const std::string git =
      "git -c user.name=author -c user.email=author@example.org -c commit.gpgsign=false ";
  const std::string setup = "export GIT_CONFIG_NOSYSTEM=1 HOME=" + quoted(dir.path().string()) +
                            " && git init -q && " + configure + " && git add -A && " + git +
                            "commit -qm old && cp ../new/Milano_Lecco_L5244.dat . && " + git +
                            "commit -qam new";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", "--no-color", "HEAD~1"},
        std::vector<std::string>{"log", "-p", "--no-color", "-1"}}) {
    fs::remove_all(repo);
    fs::create_directories(repo);
    for (const char* name : {"Milano_Lecco_L5244.dat", "Milano_Lecco_L5244.sim"})
      fs::copy_file(dir / (std::string("old/") + name), repo / name);
    spill(repo / ".gitattributes", gitattributes);
    const run_result r = run_in(repo, "git", args, setup);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-  segment 281, at 14000 m: signal [1] value1 (s1*10+d1)=42"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("+  segment 281, at 14000 m: signal [1] value1 (s1*10+d1)=32"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Binary files"), std::string::npos) << r.out;
  }
}

}  // namespace
}  // namespace scenario::tool_e2e
