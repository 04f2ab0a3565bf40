#include "tool/commands/compile_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "testing/scratch_dir.h"
#include "testing/small_texts.h"
#include "tool/report/compile_record.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace {
using testing::kSignalValues;
using testing::kSmallLine;

// Three mistakes in three entries: two signals on taken segments, a
// position that is no number; and a loss after them.
const std::string kService = "[generale]\r\nvelocita, 0, 90\r\naderenza, 0, 100\r\nsegnale, 2000" +
                             kSignalValues + "segnale, 2000" + kSignalValues + "segnale, 4000" +
                             kSignalValues + "segnale, 4000" + kSignalValues + "segnale, 6x00" +
                             kSignalValues + "stazone, 9000\r\n[fine]\r\n";

class CompileCommand : public ::testing::Test {
 protected:
  compile_options options(bool json) {
    testing::spill(dir / "X_linea.txt", kSmallLine);
    testing::spill(dir / "X_T-.txt", kService);
    compile_options o;
    o.line_text = (dir / "X_linea.txt").string();
    o.service_text = (dir / "X_T-.txt").string();
    o.line_id = "X";
    o.train_code = "T";
    o.out_dir = dir / "out";
    o.json = json;
    return o;
  }
  testing::scratch_dir dir;
};

TEST_F(CompileCommand, EveryErrorIsToldAndOnlyTheFirstRunIsWritten) {
  const compile_options o = options(false);
  std::ostringstream out, err;
  EXPECT_EQ(run_compile(o, out, err), 1);
  const std::string told = err.str();
  for (const char* says :
       {"X_T-.txt:5:1: error: ", "(failure 16 at 2000 m)",
        "X_T-.txt:7:1: error: \"segnale\" at 4000 m: segment 81 already holds the signal at "
        "4000 m (line 6) (found after passing over the entry at line 5) (failure 16 at 4000 m)",
        "X_T-.txt:8:10: error: ", "(found after passing over the entry at line 7) (failure 25)",
        "X_T-.txt:9:1: error: \"stazone\""})
    EXPECT_NE(told.find(says), std::string::npos) << says << "\n" << told;

  // The files and the record are those the first run alone makes.
  scenario_records records;
  records.line_id = "X";
  records.train_code = "T";
  const compilation first = compile_scenario(records, true, kSmallLine, kService);
  const compiled_bytes expected = compiled_files_bytes(records);
  const std::vector<std::filesystem::path> paths = compiled_file_paths("X", "T", true, o.out_dir);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_TRUE(read_whole_file(paths[0]) == expected.geometry);
  EXPECT_TRUE(read_whole_file(paths[1]) == expected.table);
  EXPECT_TRUE(read_whole_file(paths[2]) == expected.segments);
  compile_report report = make_report(records, first, {o.line_text, o.service_text});
  for (const auto& p : paths) report.files.push_back(p.string());
  EXPECT_EQ(
      read_whole_file(o.out_dir / compile_record_name("X", "T")),
      compile_record_json(report, {fingerprint(expected.geometry), fingerprint(expected.table),
                                   fingerprint(expected.segments)}));
}

TEST_F(CompileCommand, JsonCarriesTheFurtherErrors) {
  compile_options o = options(true);
  o.write = false;
  std::ostringstream out, err;
  EXPECT_EQ(run_compile(o, out, err), 1);
  const nlohmann::json j = nlohmann::json::parse(out.str());
  EXPECT_EQ(j["failure_code"], 16);
  std::vector<std::tuple<std::string, int, nlohmann::json>> seen;
  for (const nlohmann::json& d : j["diagnostics"])
    seen.emplace_back(d["id"], d["line"],
                      d.contains("passed_over") ? d["passed_over"]["line"] : nlohmann::json());
  const std::vector<std::tuple<std::string, int, nlohmann::json>> expected = {
      {"16", 5, nullptr}, {"16", 7, 5}, {"25", 8, 7}, {"unknown-entry", 9, nullptr}};
  EXPECT_EQ(seen, expected) << out.str();
}

}  // namespace
}  // namespace scenario::tool
