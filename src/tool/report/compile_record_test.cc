#include "tool/report/compile_record.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "compile/compilation.h"
#include "format/compiled_set.h"
#include "format/load_scenario.h"
#include "testing/built_in_scenario.h"
#include "testing/scratch_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace scenario::tool {
namespace {
namespace fs = std::filesystem;
using state = set_record::state;

const set_fingerprints kFiles = {"00000000000000aa", "00000000000000bb", "00000000000000cc"};

compile_report failed_report() {
  compile_report report;
  report.failure_code = 16;
  report.failure_position = 2000;
  report.diagnostics.push_back(
      {"S-.txt", 5, 1, 0, "a warning first", severity::warning, "unknown-entry"});
  report.diagnostics.push_back(
      {"S-.txt", 7, 1, 16, "segment 40 is taken", severity::error, "16", true});
  return report;
}

TEST(CompileRecord, TellsAFailureOnlyForTheFilesItWasWrittenWith) {
  const std::string record = compile_record_json(failed_report(), kFiles);
  const set_record whole = read_set_record(record, kFiles);
  EXPECT_EQ(whole.kind, state::whole);
  ASSERT_TRUE(whole.failure);
  EXPECT_EQ(whole.failure->code, 16);
  EXPECT_EQ(whole.failure->position, 2000);
  EXPECT_EQ(whole.failure->message, "segment 40 is taken");

  for (const set_fingerprints& other :
       {set_fingerprints{"", kFiles.table, kFiles.segments},  // the geometry file gone
        set_fingerprints{"00000000000000ab", kFiles.table, kFiles.segments},
        set_fingerprints{kFiles.geometry, "00000000000000bc", kFiles.segments},
        set_fingerprints{kFiles.geometry, kFiles.table, "00000000000000cd"}}) {
    const set_record r = read_set_record(record, other);
    EXPECT_EQ(r.kind, state::other_files) << other.geometry << other.table << other.segments;
    EXPECT_FALSE(r.failure);
  }
  // Written without a route plan: a geometry file found beside it is not its.
  const set_fingerprints without = {"", kFiles.table, kFiles.segments};
  EXPECT_EQ(read_set_record(compile_record_json(failed_report(), without), without).kind,
            state::whole);
  EXPECT_EQ(read_set_record(compile_record_json(failed_report(), without), kFiles).kind,
            state::other_files);
  EXPECT_EQ(read_set_record(std::nullopt, kFiles).kind, state::no_record);
}

TEST(CompileRecord, KeepsAThousandDiagnosticsAndEveryFailure) {
  compile_report report;
  report.failure_code = 16;
  for (int i = 0; i < 3000; ++i)
    report.diagnostics.push_back({"S-.txt", i + 1, 1, 0, "w", severity::warning, "unknown-entry"});
  report.diagnostics.push_back({"S-.txt", 3001, 1, 16, "the failure", severity::error, "16"});
  const std::string record = compile_record_json(report, kFiles);
  const nlohmann::json j = nlohmann::json::parse(record);
  EXPECT_EQ(j["diagnostics"].size(), kRecordedDiagnostics + 1);
  EXPECT_EQ(j["diagnostics_not_recorded"], 3000 - kRecordedDiagnostics);
  EXPECT_EQ(read_set_record(record, kFiles).failure->message, "the failure");
}

// Whatever stands in the record's place is read without a crash, and any
// record that is not one of ours is as good as none.
TEST(CompileRecord, HostileRecordsAreUnreadableNotFatal) {
  const std::string fingerprints = R"("compiled_files":{"geometry":"00000000000000aa",)"
                                   R"("table":"00000000000000bb","segments":"00000000000000cc"})";
  struct hostile {
    const char* what;
    std::string bytes;
    state expected;
  };
  const std::vector<hostile> cases = {
      {"not JSON", "{\"compiled_files\":", state::unreadable},
      {"an array", "[1,2]", state::unreadable},
      {"files as an array", R"({"compiled_files":[1]})", state::unreadable},
      {"fingerprints as numbers", R"({"compiled_files":{"geometry":1,"table":2,"segments":3}})",
       state::other_files},
      {"nested ten thousand deep", std::string(10'000, '[') + std::string(10'000, ']'),
       state::unreadable},
      {"a bracket in a string is not nesting",
       "{" + fingerprints + R"(,"x":")" + std::string(100, '[') + "\"}", state::whole},
      {"larger than any record",
       "{" + fingerprints + ",\"x\":\"" + std::string(kRecordByteLimit, 'x') + "\"}",
       state::unreadable},
      {"a failure code as text", "{" + fingerprints + R"(,"failure_code":"16"})", state::whole},
      {"a failure code out of range", "{" + fingerprints + R"(,"failure_code":99999999999})",
       state::whole},
      {"diagnostics of every wrong type",
       "{" + fingerprints +
           R"(,"failure_code":16,"diagnostics":[1,"x",{"severity":2,"code":"16"},)"
           R"({"severity":"error","code":16,"message":[1]}]})",
       state::whole},
  };
  for (const hostile& c : cases) {
    SCOPED_TRACE(c.what);
    set_record r;
    ASSERT_NO_THROW(r = read_set_record(c.bytes, kFiles));
    EXPECT_EQ(r.kind, c.expected);
    if (r.failure) {
      EXPECT_EQ(r.failure->code, 16);
      EXPECT_EQ(r.failure->message, "");
    }
  }
}

TEST(CompileRecord, SaysWhySetsAreNotKnownWhole) {
  for (state s : {state::no_record, state::other_files, state::unreadable})
    EXPECT_NE(set_record_note({s, std::nullopt}, "R.report.json").find("not known to be one whole"),
              std::string::npos);
  EXPECT_EQ(set_record_note({state::whole, std::nullopt}, "R.report.json"), "");
}

#ifndef _WIN32
// A compiled set with its record, as compile writes it.
struct set_with_record {
  set_with_record(const scenario_records& r, const fs::path& dir)
      : set(r, dir),
        record(compile_record_json(compile_report{}, set.fingerprints())),
        files(set.files()) {
    files.push_back({dir / compile_record_name(r.line_id, r.train_code), record});
  }
  const compiled_set set;
  const std::string record;
  std::vector<output_file> files;
};

// Two compilations of different scenarios, each with its record renamed
// last: a run killed at any step leaves a folder whose record matches only
// when the files are all of one set.
TEST(CompileRecord, ARunKilledBetweenRenamesNeverLeavesAMixCalledWhole) {
  testing::scratch_dir dir;
  const tool::plot_input built_in = testing::built_in_scenario();
  scenario_records a;
  a.line_id = built_in.line_id;
  a.train_code = built_in.train_code;
  a.build_geometry = 1;
  a.track_geometry = built_in.plan.value();
  a.general_table = built_in.table;
  a.segments = built_in.segments;
  scenario_records b = a;
  b.track_geometry.set_real(10, 0, 12.5);
  b.general_table[3].text += "X";
  b.segments[20].value4 = 7;
  const set_with_record old_set(a, dir.path()), new_set(b, dir.path());
  const int steps = 3 * static_cast<int>(new_set.files.size());  // write, sync, rename
  for (int killed_at = 0; killed_at <= steps; ++killed_at) {
    SCOPED_TRACE("killed at step " + std::to_string(killed_at));
    replace_files(old_set.files);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int step = 0;
      replace_files(new_set.files, [&](replacement_step, const fs::path&) {
        if (step++ == killed_at) ::_exit(0);
      });
      ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const loaded_scenario found = load_scenario(dir.path(), {a.line_id, a.train_code});
    const set_record r =
        read_set_record(read_whole_file(dir.path() / compile_record_name(a.line_id, a.train_code)),
                        found.fingerprints);
    const bool all_old = found.fingerprints == old_set.set.fingerprints();
    const bool all_new = found.fingerprints == new_set.set.fingerprints();
    // Killed before the first rename: the old set, whole; between renames:
    // a set its record does not match; after the last: the new one.
    const int first_rename = 2 * static_cast<int>(new_set.files.size());
    EXPECT_EQ(r.kind == state::whole, killed_at <= first_rename || killed_at == steps);
    if (r.kind == state::whole) {
      EXPECT_TRUE(killed_at == steps ? all_new : all_old);
    } else {
      EXPECT_EQ(r.kind, state::other_files);
    }
  }
}
#endif

}  // namespace
}  // namespace scenario::tool
