// scenario-tool at its limits: texts with tens of thousands of bad lines,
// which it must report in time proportional to the text, showing a readable
// part of them and listing all in JSON; and the commands that need the most
// memory run under an address-space limit, which must end each of them with
// one line and status 3 whenever the memory does not suffice, never with an
// abort.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "system/files.h"
#include "testing/longest_scenario.h"
#include "testing/program_runs.h"
#include "testing/sanitizers.h"
#include "testing/scratch_dir.h"

namespace scenario::tool_e2e {
namespace {

using testing::run_result;
using testing::run_tool;
using testing::scratch_dir;
using testing::spill;

using testing::kSanitized;

const std::string kLineTxt = "Milano_Lecco_linea.txt";
const std::string kServiceTxt = "Milano_Lecco_L5244-.txt";

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The built-in line description with `n` lines that are no entry after the
// line that opens its curves: each one a loss "unknown-entry".
std::string with_unknown_entries(std::string line_description, size_t n) {
  std::string bad;
  for (size_t i = 0; i < n; ++i) bad += "sconosciuto," + std::to_string(i % 10) + "\r\n";
  const size_t curves = line_description.find("[curve]\r\n");
  line_description.insert(curves + 9, bad);
  return line_description;
}

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Processor time the finished children of this process have used so far.
double children_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class ToolLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(TOOL_PATH).empty()) GTEST_SKIP() << "scenario-tool is not built";
    ASSERT_EQ(run_tool(dir.path(), {"template", "."}).status, 0);
  }

  // Writes the line description with `n` unknown entries as line `id`,
  // with the built-in train service as its train T.
  void write_unknown_entries(const std::string& id, size_t n) {
    spill(dir / (id + "_linea.txt"), with_unknown_entries(read_whole_file(dir / kLineTxt), n));
    spill(dir / (id + "_T-.txt"), read_whole_file(dir / kServiceTxt));
  }

  // The least processor time of a few checks of `text`: the least is the
  // one other work on the machine disturbed least.
  double check_seconds(const std::string& id) {
    double least = std::numeric_limits<double>::max();
    for (int round = 0; round < 3; ++round) {
      const double before = children_cpu_seconds();
      EXPECT_EQ(run_tool(dir.path(), {"check", id + "_linea.txt", id + "_T-.txt"}).status, 1);
      least = std::min(least, children_cpu_seconds() - before);
    }
    return least;
  }

  scratch_dir dir;
};

// Every diagnostic counts and every one is in the JSON report; the text
// report shows the first hundred of the id and one line for the rest.
TEST_F(ToolLimits, ManyDiagnosticsShowAHundredAndCountTheRest) {
  constexpr size_t kBad = 3000;
  constexpr size_t kShown = 100;  // of one id, as docs/authoring.md says
  write_unknown_entries("Bad", kBad);
  const run_result text = run_tool(dir.path(), {"check", "Bad_linea.txt", "Bad_T-.txt"});
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(count_of(text.err, "[unknown-entry]\n"), kShown);
  EXPECT_EQ(count_of(text.err, " | sconosciuto,"), kShown);
  EXPECT_NE(text.err.find("scenario-tool: note: " + std::to_string(kBad - kShown) +
                          " more unknown-entry errors like the above are not shown"),
            std::string::npos)
      << text.err.substr(text.err.size() - 400);

  const run_result json =
      run_tool(dir.path(), {"check", "Bad_linea.txt", "Bad_T-.txt", "--format", "json"});
  EXPECT_EQ(json.status, 1);
  const nlohmann::json report = nlohmann::json::parse(json.out);
  const auto& diagnostics = report["diagnostics"];
  EXPECT_EQ(static_cast<size_t>(
                std::count_if(diagnostics.begin(), diagnostics.end(),
                              [](const nlohmann::json& d) { return d["id"] == "unknown-entry"; })),
            kBad);
  // The last one points at its own line, as the first does.
  EXPECT_EQ(diagnostics[kBad - 1]["line"], diagnostics[0]["line"].get<int>() + int{kBad} - 1);

  // --werror counts the warnings not shown as well.
  std::string repeated = read_whole_file(dir / kLineTxt);
  std::string again;
  for (int i = 0; i < 300; ++i) again += "sfondo uno,    0\r\n";
  repeated.insert(repeated.find("[curve]"), again);
  spill(dir / "Again_linea.txt", repeated);
  spill(dir / "Again_T-.txt", read_whole_file(dir / kServiceTxt));
  const run_result warned = run_tool(dir.path(), {"check", "Again_linea.txt", "Again_T-.txt"});
  EXPECT_EQ(warned.status, 0) << warned.err;
  EXPECT_EQ(count_of(warned.err, "[overridden]\n"), kShown);
  EXPECT_NE(warned.err.find("note: 200 more overridden warnings like the above are not shown"),
            std::string::npos);
  const run_result werror =
      run_tool(dir.path(), {"check", "Again_linea.txt", "Again_T-.txt", "--werror"});
  EXPECT_EQ(werror.status, 1);
  EXPECT_NE(werror.err.find("300 warnings treated as errors"), std::string::npos);
}

// Four times the bad lines take about four times as long, not sixteen
// times: nothing reads the text again for each diagnostic.
TEST_F(ToolLimits, ManyDiagnosticsTakeTimeInProportionToTheText) {
  constexpr size_t kBad = 16384;
  write_unknown_entries("Some", kBad);
  write_unknown_entries("More", 4 * kBad);
  const double some = check_seconds("Some");
  const double more = check_seconds("More");
  EXPECT_LT(more, 8 * std::max(some, 0.01)) << some << " s, then " << more << " s";
}

// Each run either has the memory it needs or ends with one line and
// status 3; the limits step through where each command runs out.
TEST_F(ToolLimits, EveryCommandOutOfMemoryEndsWithOneLine) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
  const testing::scenario_texts& longest = testing::maximum_length_texts();
  spill(dir / "Long_linea.txt", longest.line_description);
  spill(dir / "Long_T-.txt", longest.train_service);
  ASSERT_EQ(run_tool(dir.path(), {"compile", "Long_linea.txt", "Long_T-.txt", "--out", "out", "-w"})
                .status,
            0);
  write_unknown_entries("Bad", 65536);
  const std::vector<std::vector<std::string>> commands = {
      {"dump", "--format", "json", "out/Long_T.dat"},
      {"dump", "--format", "json", "out/Long_T.sim"},
      {"dump", "--format", "json", "out/Long_linea.dat"},
      {"plot", "out", "-o", "long.svg"},
      {"view", "out", "-o", "long.html"},
      {"decompile", "out", "--out", "texts", "--force"},
      {"diff", "out", "out"},
      {"diff", "--format", "json", "out", "Long_linea.txt,Long_T-.txt"},
      {"check", "Bad_linea.txt", "Bad_T-.txt", "--format", "json"},
  };
  for (const std::vector<std::string>& args : commands) {
    for (int megabytes = 16; megabytes <= 112; megabytes += 8) {
      SCOPED_TRACE(args[0] + " " + args[args.size() - 1] + " in " + std::to_string(megabytes) +
                   " MB");
      const run_result r =
          run_tool(dir.path(), args, "ulimit -v " + std::to_string(megabytes * 1024));
      if (r.status == 0 || r.status == 1) break;
      EXPECT_EQ(r.status, 3) << r.err;
      EXPECT_EQ(count_of(r.err, "\n"), 1u) << r.err;
      EXPECT_NE(r.err.find("memory"), std::string::npos) << r.err;
    }
  }
}

}  // namespace
}  // namespace scenario::tool_e2e
