// Faults of the output directory: a run that cannot write a file must stop
// with one clear line on standard error and a non-zero exit status, and the
// compiled files of the earlier run must stay whole, byte for byte.
//
// Some cases run the generator's functions in this process (in a child
// process where a resource limit is needed), others run a copy of the
// executable.  As root a read-only directory is still writable: those cases
// skip themselves, the others work for every user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "app/generator.h"
#include "line/line_text.h"
#include "model/compiled_files.h"
#include "service/service_text.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

const std::string kLine = "Milano_Lecco";
const std::string kTrain = "L5244";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "file-faults-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<std::string> compiled_names() {
  return {line_geometry_file_name(kLine), table_file_name(kLine, kTrain),
          segment_file_name(kLine, kTrain)};
}

using snapshot = std::map<std::string, std::string>;

snapshot compiled_files_in(const fs::path& dir) {
  snapshot files;
  for (const std::string& name : compiled_names())
    if (fs::is_regular_file(dir / name)) files[name] = slurp(dir / name);
  return files;
}

// Names left in `dir` that a replacement writes on its way: temporaries.
std::vector<std::string> temporaries_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().find(".tmp") != std::string::npos)
      names.push_back(e.path().filename().string());
  return names;
}

// A whole run in `dir` that succeeds: the earlier compiled files of a fault.
snapshot good_run(const fs::path& dir) {
  std::ostringstream err;
  EXPECT_EQ(Form_Load(dir, err), 0) << err.str();
  snapshot files = compiled_files_in(dir);
  EXPECT_EQ(files.size(), 3u);
  return files;
}

// The lines of a run's standard error other than the "Attendere" label.
std::vector<std::string> message_lines(const std::string& err) {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);)
    if (line != "Attendere") lines.push_back(line);
  return lines;
}

// One line that names the program, the file and the reason.
void expect_one_clear_line(const std::string& err, const std::string& file,
                           const std::string& reason) {
  const std::vector<std::string> lines = message_lines(err);
  ASSERT_EQ(lines.size(), 1u) << err;
  EXPECT_EQ(lines[0].rfind("scenario-generator: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(file), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
}

struct outcome {
  int status;
  std::string err;
};

// Runs Form_Load in a child process whose files may grow to `max_bytes` at
// most; a write beyond that fails with EFBIG, as on a full disk.
outcome form_load_with_file_limit(const fs::path& dir, rlim_t max_bytes) {
  // The message comes back through a pipe, which no file-size limit covers.
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {-1, "pipe failed"};
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    signal(SIGXFSZ, SIG_IGN);
    std::ostringstream err;
    const rlimit limit{max_bytes, max_bytes};
    int status = 99;
    if (setrlimit(RLIMIT_FSIZE, &limit) == 0) status = Form_Load(dir, err);
    const std::string text = err.str();
    if (write(pipe_ends[1], text.data(), text.size()) < 0) status = 98;
    _exit(status);
  }
  close(pipe_ends[1]);
  std::string message;
  char buffer[4096];
  for (ssize_t n; (n = read(pipe_ends[0], buffer, sizeof buffer)) > 0;)
    message.append(buffer, static_cast<size_t>(n));
  close(pipe_ends[0]);
  int raw = 0;
  waitpid(child, &raw, 0);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, message};
}

// Runs a copy of the executable that sits in `dir`, through the shell so
// that `limits` (shell commands) apply to it alone.
outcome run_copy(const fs::path& dir, const std::string& limits = "") {
  const fs::path exe = dir / "scenario-generator";
  if (!fs::exists(exe)) fs::copy_file(GENERATOR_PATH, exe);
  const fs::path err = dir.parent_path() / (dir.filename().string() + ".err");
  const std::string command = limits + "'" + exe.string() + "' 2>'" + err.string() + "' </dev/null";
  const int raw = std::system(command.c_str());
  outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(err)};
  fs::remove(err);
  return o;
}

// Makes `dir` read-only; false when the user may write it anyway (root).
bool make_read_only(const fs::path& dir) {
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  return access(dir.c_str(), W_OK) != 0;
}

TEST(FileFaults, FullDiskWhileWritingTheRoutePlanKeepsTheEarlierFiles) {
  ScratchDir dir;
  const snapshot before = good_run(dir.path());
  // Room for the texts and documents (a few kilobytes), not for the route
  // plan of more than a megabyte.
  const outcome o = form_load_with_file_limit(dir.path(), 64 * 1024);
  EXPECT_NE(o.status, 0);
  expect_one_clear_line(o.err, line_geometry_file_name(kLine), "File too large");
  EXPECT_EQ(compiled_files_in(dir.path()), before);
  EXPECT_TRUE(temporaries_in(dir.path()).empty());
}

TEST(FileFaults, FullDiskAtEachFileLeavesEveryCompiledFileWhole) {
  ScratchDir dir;
  const snapshot before = good_run(dir.path());
  // From nothing at all to just short of the largest file: whichever write
  // fails first, no compiled file is ever left half written.
  for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{1500}, rlim_t{600'000}, rlim_t{1'219'963}}) {
    SCOPED_TRACE(limit);
    const outcome o = form_load_with_file_limit(dir.path(), limit);
    EXPECT_NE(o.status, 0);
    EXPECT_EQ(message_lines(o.err).size(), 1u) << o.err;
    EXPECT_NE(o.err.find("File too large"), std::string::npos) << o.err;
    EXPECT_EQ(compiled_files_in(dir.path()), before);
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
}

TEST(FileFaults, ExecutableOnAFullDiskExitsNonZeroWithOneLine) {
  ScratchDir dir;
  ASSERT_EQ(run_copy(dir.path()).status, 0);
  const snapshot before = compiled_files_in(dir.path());
  ASSERT_EQ(before.size(), 3u);
  // 64 blocks: room for the texts, not for the route plan.
  const outcome o = run_copy(dir.path(), "trap '' XFSZ; ulimit -f 64; ");
  EXPECT_NE(o.status, 0);
  expect_one_clear_line(o.err, line_geometry_file_name(kLine), "File too large");
  EXPECT_EQ(compiled_files_in(dir.path()), before);
  EXPECT_TRUE(temporaries_in(dir.path()).empty());
}

TEST(FileFaults, ACompiledFileThatCannotBeReplacedStopsTheRun) {
  ScratchDir dir;
  const snapshot before = good_run(dir.path());
  // A directory has taken the table file's name: no file can be renamed
  // over it, whoever runs the test.
  const std::string table = table_file_name(kLine, kTrain);
  fs::remove(dir.path() / table);
  fs::create_directory(dir.path() / table);
  std::ostringstream err;
  EXPECT_NE(Form_Load(dir.path(), err), 0);
  expect_one_clear_line(err.str(), table, "cannot replace");
  EXPECT_TRUE(fs::is_directory(dir.path() / table));
  // The route plan before it was written anew (the same bytes); the segment
  // file after it is untouched.
  snapshot after = compiled_files_in(dir.path());
  snapshot expected = before;
  expected.erase(table);
  EXPECT_EQ(after, expected);
  EXPECT_TRUE(temporaries_in(dir.path()).empty());
}

TEST(FileFaults, OutputDirectoryUnderARegularFile) {
  ScratchDir dir;
  const fs::path file = dir.path() / "not-a-directory";
  std::ofstream(file) << "x";
  std::ostringstream err;
  EXPECT_NE(Form_Load(file / "out", err), 0);
  expect_one_clear_line(err.str(), line_description_file_name(kLine), "Not a directory");
  EXPECT_EQ(slurp(file), "x");
}

TEST(FileFaults, ReadOnlyOutputDirectoryKeepsTheEarlierFiles) {
  ScratchDir dir;
  ASSERT_EQ(run_copy(dir.path()).status, 0);
  const snapshot before = compiled_files_in(dir.path());
  ASSERT_EQ(before.size(), 3u);
  if (!make_read_only(dir.path())) GTEST_SKIP() << "this user may write a read-only directory";
  const outcome o = run_copy(dir.path());
  EXPECT_NE(o.status, 0);
  expect_one_clear_line(o.err, line_description_file_name(kLine), "Permission denied");
  EXPECT_EQ(compiled_files_in(dir.path()), before);
}

TEST(FileFaults, TextsThatCannotBeDeletedStopTheRunBeforeAnyCompiledFile) {
  // The texts are in place, but the directory turned read-only: the reader
  // cannot use them up, and nothing compiled may be written over the
  // earlier files.
  ScratchDir dir;
  const snapshot before = good_run(dir.path());
  std::ofstream(dir.path() / line_description_file_name(kLine), std::ios::binary) << dati_linea();
  std::ofstream(dir.path() / train_service_file_name(kLine, kTrain), std::ios::binary)
      << dati_treno();
  if (!make_read_only(dir.path())) GTEST_SKIP() << "this user may write a read-only directory";
  scenario_records records;
  records.line_id = kLine;
  records.train_code = kTrain;
  std::ostringstream err;
  int status = 0;
  try {
    status = memorizza_percorso(records, 1, dir.path(), err);
  } catch (const file_error& e) {
    err << "scenario-generator: " << e.what() << '\n';
    status = 2;
  }
  EXPECT_NE(status, 0);
  expect_one_clear_line(err.str(), line_description_file_name(kLine), "Permission denied");
  EXPECT_EQ(compiled_files_in(dir.path()), before);
}

}  // namespace
}  // namespace scenario
