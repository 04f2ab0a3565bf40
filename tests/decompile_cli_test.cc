// `scenario-tool decompile` as authors run it: compiled files back to texts
// that compile to the very same bytes, the author's texts never replaced
// without --force, damaged files refused with nothing written, files that
// cannot come back reported difference by difference.
#include <gtest/gtest.h>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace fs = std::filesystem;
using testing::built_in_compiled_names;
using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;
namespace {

class DecompileCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    ASSERT_EQ(run_tool(dir.path(), {"template", "src"}).status, 0);
  }

  // Compiles the texts in `from` into `to`.
  void compile(const std::string& from, const std::string& to,
               std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"compile", from + "/" + line_txt, from + "/" + service_txt,
                                     "--out", to};
    args.insert(args.end(), extra.begin(), extra.end());
    const run_result r = run_tool(dir.path(), args);
    ASSERT_EQ(r.status, 0) << r.err;
  }

  void expect_same_files(const std::string& a, const std::string& b,
                         const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const std::string held = read_whole_file(dir / (a + "/" + name));
      ASSERT_FALSE(held.empty()) << name;
      EXPECT_TRUE(read_whole_file(dir / (b + "/" + name)) == held) << name << " differs";
    }
  }

  scratch_dir dir;
  const std::string line_txt = "Milano_Lecco_linea.txt";
  const std::string service_txt = "Milano_Lecco_L5244-.txt";
};

TEST_F(DecompileCli, RecoveredTextsCompileToTheSameBytes) {
  compile("src", "bin");
  const run_result r = run_tool(dir.path(), {"decompile", "bin", "--out", "rec"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "wrote rec/" + line_txt + "\nwrote rec/" + service_txt + "\n");
  compile("rec", "again");
  expect_same_files("bin", "again", built_in_compiled_names());
}

// Also: without --out the texts go into the current directory.
TEST_F(DecompileCli, WithoutRoutePlanTheTableFileNamesTheScenario) {
  compile("src", "bin", {"--no-geometry"});
  const run_result r = run_tool(dir.path(), {"decompile", "bin"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "wrote ./" + line_txt + "\nwrote ./" + service_txt + "\n");
  compile(".", "again", {"--no-geometry"});
  expect_same_files("bin", "again", {"Milano_Lecco_L5244.sim", "Milano_Lecco_L5244.dat"});
}

TEST_F(DecompileCli, TextsAlreadyThereAreReplacedOnlyWithForce) {
  compile("src", "bin");
  fs::create_directory(dir / "rec");
  spill(dir / ("rec/" + service_txt), "an author's own work\r\n");
  const run_result refused = run_tool(dir.path(), {"decompile", "bin", "--out", "rec"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_EQ(read_whole_file(dir / ("rec/" + service_txt)), "an author's own work\r\n");
  EXPECT_FALSE(fs::exists(dir / ("rec/" + line_txt)));

  const run_result forced = run_tool(dir.path(), {"decompile", "bin", "--out", "rec", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(
      read_whole_file(dir / ("rec/" + service_txt)).rfind("- recovered from compiled files", 0),
      0u);
}

// One clear error naming the file and the byte offset; no text written.
TEST_F(DecompileCli, DamagedFilesAreRefusedAndNothingIsWritten) {
  compile("src", "bin");
  const std::string segments = read_whole_file(dir / "bin/Milano_Lecco_L5244.dat");
  const std::string geometry = read_whole_file(dir / "bin/Milano_Lecco_linea.dat");
  const std::string table = read_whole_file(dir / "bin/Milano_Lecco_L5244.sim");
  std::string unknown_tag = geometry;
  unknown_tag[4] = 9;  // metre 1's tag in column 0
  struct damage {
    std::string file, bytes, message;
  };
  const damage cases[] = {
      {"Milano_Lecco_L5244.dat", segments.substr(0, segments.size() - 7),
       "bin/Milano_Lecco_L5244.dat: error: at byte 18300: truncated"},
      {"Milano_Lecco_linea.dat", unknown_tag,
       "bin/Milano_Lecco_linea.dat: error: at byte 4: unknown cell tag 9"},
      {"Milano_Lecco_L5244.sim", table + "x",
       "bin/Milano_Lecco_L5244.sim: error: at byte 3139: 1 bytes after the last"},
      {"Milano_Lecco_L5244.sim", table.substr(0, 100),
       "bin/Milano_Lecco_L5244.sim: error: at byte 99: truncated: the text"},
  };
  for (const damage& d : cases) {
    compile("src", "bin");
    spill(dir / ("bin/" + d.file), d.bytes);
    const run_result r = run_tool(dir.path(), {"decompile", "bin", "--out", "rec"});
    EXPECT_EQ(r.status, 3) << d.message;
    EXPECT_EQ(r.err.rfind(d.message, 0), 0u) << r.err;
    EXPECT_FALSE(fs::exists(dir / "rec")) << d.message;
  }
}

TEST_F(DecompileCli, FilesThatCannotComeBackAreReportedAndExitOne) {
  compile("src", "bin");
  std::string segments = read_whole_file(dir / "bin/Milano_Lecco_L5244.dat");
  segments[15 * 600 + 3] = 9;  // value2 of cell 600
  spill(dir / "bin/Milano_Lecco_L5244.dat", segments);
  const run_result r = run_tool(dir.path(), {"decompile", "bin", "--out", "rec"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "warning: Milano_Lecco_L5244.dat: segment 600, covering 30000-30050 m: value2: held 9, "
            "the texts give 0\n");
  EXPECT_TRUE(fs::exists(dir / ("rec/" + line_txt)));
  EXPECT_TRUE(fs::exists(dir / ("rec/" + service_txt)));
}

TEST_F(DecompileCli, SeveralScenariosInOneDirectoryNeedTheFlags) {
  compile("src", "bin");
  ASSERT_EQ(run_tool(dir.path(), {"template", "other", "--train-code", "R100"}).status, 0);
  ASSERT_EQ(run_tool(dir.path(), {"compile", "other/Milano_Lecco_linea.txt",
                                  "other/Milano_Lecco_R100-.txt", "--out", "bin"})
                .status,
            0);
  const run_result without = run_tool(dir.path(), {"decompile", "bin", "--out", "rec"});
  EXPECT_EQ(without.status, 2);
  EXPECT_NE(without.err.find("--train-code"), std::string::npos) << without.err;
  const run_result with =
      run_tool(dir.path(), {"decompile", "bin", "--out", "rec", "--train-code", "R100"});
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_TRUE(fs::exists(dir / "rec/Milano_Lecco_R100-.txt"));
}

}  // namespace
}  // namespace scenario::tool_e2e
