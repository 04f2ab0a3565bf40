// End-to-end runs of scenario-generator: a copy of the executable in an
// empty directory writes the scenario beside itself.
#include "generator/generator.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/scenario_names.h"
#include "system/files.h"
#include "testing/compilation_runs.h"
#include "testing/scratch_dir.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

using testing::scratch_dir;
using testing::spill;

struct run_result {
  int status;
  std::string err;
};

// Runs a copy of the generator placed in `dir`.
run_result run_generator(const fs::path& dir) {
  const fs::path exe = dir / "scenario-generator";
  if (!fs::exists(exe)) fs::copy_file(GENERATOR_PATH, exe);
  const fs::path err = dir.parent_path() / (dir.filename().string() + ".err");
  const std::string command = "'" + exe.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  run_result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_whole_file(err)};
  fs::remove(err);
  return r;
}

std::set<std::string> files_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  names.erase("scenario-generator");
  return names;
}

int32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return static_cast<int32_t>(v);
}

int16_t le16(const std::string& b, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

// Offset of table slot `slot`, walking the variable-length records.
size_t slot_offset(const std::string& table, int slot) {
  size_t at = 0;
  for (int i = 0; i < slot; ++i) at += 34 + static_cast<uint16_t>(le16(table, at + 14));
  return at;
}

TEST(GeneratorTest, OneRunLeavesExactlySixFiles) {
  scratch_dir dir;
  const run_result run = run_generator(dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Attendere\n");
  EXPECT_EQ(files_in(dir.path()),
            (std::set<std::string>{"Milano_Lecco_linea.dat", "Milano_Lecco_L5244.sim",
                                   "Milano_Lecco_L5244.dat", "Milano_Lecco_L5244_scheda_treno.txt",
                                   "Milano_Lecco_L5244_rallentamenti.txt",
                                   "Milano_Lecco_L5244_note.txt"}));
  const std::string table = read_whole_file(dir.path() / "Milano_Lecco_L5244.sim");
  const std::string segments = read_whole_file(dir.path() / "Milano_Lecco_L5244.dat");
  EXPECT_EQ(table.size(), 3139u);
  EXPECT_EQ(segments.size(), 18315u);
  EXPECT_EQ(le16(segments, 16), 5121);
  EXPECT_EQ(le16(segments, 18), 2356);
  const size_t s85 = slot_offset(table, 85);
  EXPECT_EQ(table.substr(s85 + 16, 12), "Milano_Lecco");
  EXPECT_EQ(le16(table, s85 + 16 + 12), 610);
  EXPECT_EQ(le32(table, s85 + 30 + 12), 32155);
  EXPECT_EQ(fs::file_size(dir.path() / "Milano_Lecco_linea.dat"), 1219964u);
  EXPECT_EQ(fs::file_size(dir.path() / "Milano_Lecco_L5244_scheda_treno.txt"), 3904u);
  EXPECT_EQ(fs::file_size(dir.path() / "Milano_Lecco_L5244_rallentamenti.txt"), 3293u);
}

TEST(GeneratorTest, SecondRunGivesIdenticalBytesAndReplacesLongerFiles) {
  scratch_dir dir;
  ASSERT_EQ(run_generator(dir.path()).status, 0);
  std::map<std::string, std::string> first;
  for (const std::string& name : files_in(dir.path()))
    first[name] = read_whole_file(dir.path() / name);
  // Longer files of an earlier run must leave nothing behind.
  for (const auto& [name, bytes] : first) spill(dir.path() / name, bytes + std::string(5000, 'x'));
  ASSERT_EQ(run_generator(dir.path()).status, 0);
  for (const auto& [name, bytes] : first)
    EXPECT_EQ(read_whole_file(dir.path() / name), bytes) << name;
}

// memorizza_percorso on texts an author placed in the directory.
struct percorso_run {
  int status;
  std::string err;
};

percorso_run compile_in(const fs::path& dir, const std::string& line, const std::string& service,
                        int32_t j = 1) {
  spill(dir / line_description_file_name("Milano_Lecco"), line);
  spill(dir / train_service_file_name("Milano_Lecco", "L5244"), service);
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  std::ostringstream err;
  const int status = memorizza_percorso(r, j, dir, err);
  return {status, err.str()};
}

TEST(GeneratorTest, WithoutRoutePlanTheGeometryFileIsLeftAlone) {
  scratch_dir dir;
  spill(dir.path() / "Milano_Lecco_linea.dat", "earlier plan");
  const percorso_run run = compile_in(dir.path(), dati_linea(), dati_treno(), 0);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_whole_file(dir.path() / "Milano_Lecco_linea.dat"), "earlier plan");
  EXPECT_EQ(fs::file_size(dir.path() / "Milano_Lecco_L5244.dat"), 18315u);
  EXPECT_FALSE(fs::exists(dir.path() / "Milano_Lecco_linea.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "Milano_Lecco_L5244-.txt"));
}

TEST(GeneratorTest, StampErrorStopsBeforeAnyCompiledFile) {
  struct {
    std::string service;
    std::string message;
  } cases[] = {
      {testing::service_text("abbattimento, 50, 3\r\n"), " Errore n. 1250\n"},
      {testing::service_text("rallentamento, 0, 0, 500, 0, 0, 4\r\n"), " Errore n. 1251\n"}};
  for (const auto& c : cases) {
    scratch_dir dir;
    for (const char* name :
         {"Milano_Lecco_linea.dat", "Milano_Lecco_L5244.sim", "Milano_Lecco_L5244.dat"})
      spill(dir.path() / name, std::string("earlier ") + name);
    const percorso_run run = compile_in(dir.path(), testing::line_text(""), c.service);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.message);
    for (const char* name :
         {"Milano_Lecco_linea.dat", "Milano_Lecco_L5244.sim", "Milano_Lecco_L5244.dat"})
      EXPECT_EQ(read_whole_file(dir.path() / name), std::string("earlier ") + name);
  }
}

TEST(GeneratorTest, ReaderFailureIsReportedAndTheFilesStillWritten) {
  scratch_dir dir;
  const percorso_run run = compile_in(dir.path(), testing::line_text("pendenza, 16950, 5\r\n"),
                                      testing::service_text(""));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(
      run.err,
      "scenario-generator: warning: failure 15 at 16950 m: entry beyond the end of the line\n");
  EXPECT_TRUE(fs::exists(dir.path() / "Milano_Lecco_L5244.dat"));
}

TEST(GeneratorTest, FailureBeforeTheServiceLeavesItsText) {
  scratch_dir dir;
  const percorso_run run =
      compile_in(dir.path(), testing::line_text("curvas, 100, 10\r\n"), testing::service_text(""));
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(fs::exists(dir.path() / "Milano_Lecco_linea.txt"));
  EXPECT_TRUE(fs::exists(dir.path() / "Milano_Lecco_L5244-.txt"));
  // The route length had sized the arrays: the compiled files are written.
  EXPECT_TRUE(fs::exists(dir.path() / "Milano_Lecco_L5244.dat"));
}

TEST(GeneratorTest, UnwritableOutputEndsWithOneClearLine) {
  scratch_dir dir;
  const fs::path not_a_directory = dir.path() / "file";
  spill(not_a_directory, "x");
  std::ostringstream err;
  const int status = Form_Load(not_a_directory, err);
  EXPECT_NE(status, 0);
  const std::string message = err.str();
  EXPECT_EQ(message.rfind("Attendere\nscenario-generator: cannot write ", 0), 0u) << message;
  EXPECT_NE(message.find("Milano_Lecco_linea.txt"), std::string::npos);
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 2);
  EXPECT_EQ(read_whole_file(not_a_directory), "x");
}

}  // namespace
}  // namespace scenario
