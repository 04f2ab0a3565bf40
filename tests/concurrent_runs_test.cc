// Runs that overlap in one folder: each waits for the folder's lock, so the
// folder always holds one whole set, never the files of two runs side by
// side, and every run succeeds in turn.
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <set>

#include "system/files.h"
#include "testing/program_runs.h"
#include "testing/scenario_texts.h"
#include "testing/scratch_dir.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;
using testing::run_in;
using testing::run_result;

using file_set = std::map<std::string, std::string>;  // name -> bytes

file_set files_in(const fs::path& dir) {
  file_set files;
  for (const auto& e : fs::directory_iterator(dir))
    files[e.path().filename().string()] = read_whole_file(e.path());
  return files;
}

class ConcurrentRuns : public ::testing::Test {
 protected:
  // A folder of its own for each run (its outputs are captured there), both
  // writing into `shared`.
  fs::path run_dir(const std::string& name) const {
    const fs::path dir = scratch_.path() / name;
    fs::create_directories(dir);
    return dir;
  }
  testing::scratch_dir scratch_;
  const fs::path shared_ = run_dir("shared");
};

TEST_F(ConcurrentRuns, TwoCompilesIntoOneFolderLeaveOneWholeSet) {
  if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  const fs::path a = run_dir("a"), b = run_dir("b");
  // Two scenarios of one length, so that the two runs keep pace and their
  // renames meet: the second has another station name and speed limit.
  const testing::scenario_texts texts = testing::dense_texts(20'000);
  std::string other_service = texts.train_service;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"STAZIONE 1", "STAZIONE X"},
                                 {"velocita,  10000,  120", "velocita,  10000,  100"}}) {
    const size_t at = other_service.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    other_service.replace(at, from.size(), to);
  }
  testing::spill(a / "X_linea.txt", texts.line_description);
  testing::spill(a / "X_T-.txt", texts.train_service);
  testing::spill(b / "X_linea.txt", texts.line_description);
  testing::spill(b / "X_T-.txt", other_service);
  const std::vector<std::string> compile = {"compile", "X_linea.txt", "X_T-.txt", "--out",
                                            "../shared"};
  ASSERT_EQ(run_in(a, TOOL_PATH, compile).status, 0);
  const file_set set_a = files_in(shared_);
  ASSERT_EQ(run_in(b, TOOL_PATH, compile).status, 0);
  const file_set set_b = files_in(shared_);
  ASSERT_EQ(set_a.size(), 4u);  // the three compiled files and the record
  ASSERT_NE(set_a, set_b);
  for (const char* name : {"X_T.sim", "X_T.dat", "X_T.report.json"})
    ASSERT_NE(set_b.at(name), set_a.at(name)) << name;

  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    auto first = std::async(std::launch::async, [&] { return run_in(a, TOOL_PATH, compile); });
    auto second = std::async(std::launch::async, [&] { return run_in(b, TOOL_PATH, compile); });
    const run_result ra = first.get(), rb = second.get();
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    const file_set left = files_in(shared_);
    EXPECT_TRUE(left == set_a || left == set_b);
  }
}

TEST_F(ConcurrentRuns, TwoGeneratorsInOneFolderBothSucceed) {
  const fs::path exe = shared_ / "scenario-generator";
  fs::copy_file(GENERATOR_PATH, exe);
  const fs::path a = run_dir("a"), b = run_dir("b");
  ASSERT_EQ(run_in(a, exe.string(), {}).status, 0);
  const file_set alone = files_in(shared_);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    auto first = std::async(std::launch::async, [&] { return run_in(a, exe.string(), {}); });
    auto second = std::async(std::launch::async, [&] { return run_in(b, exe.string(), {}); });
    const run_result ra = first.get(), rb = second.get();
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    EXPECT_TRUE(files_in(shared_) == alone);
  }
}

// With --no-wait a run refuses a folder another holds, in one line.
TEST_F(ConcurrentRuns, NoWaitRefusesAHeldFolder) {
  if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
  const fs::path a = run_dir("a");
  const testing::scenario_texts texts = testing::dense_texts(20'000);
  testing::spill(a / "X_linea.txt", texts.line_description);
  testing::spill(a / "X_T-.txt", texts.train_service);
  // The shell holds the lock on its own descriptor, which the tool inherits
  // but does not use.
  const std::string hold = "exec 9>../shared/.scenario.lock && flock 9";
  const run_result r =
      run_in(a, TOOL_PATH,
             {"compile", "X_linea.txt", "X_T-.txt", "--out", "../shared", "--no-wait"}, hold);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "scenario-tool: error: cannot write into ../shared: another run is writing there "
            "(wait for it, or run without --no-wait)\n");
  EXPECT_EQ(files_in(shared_).size(), 1u);  // the lock file the shell made
}

}  // namespace
}  // namespace scenario
