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

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "generator/generator.h"
#include "system/files.h"
#include "testing/scratch_dir.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

const std::string kLine = "Milano_Lecco";
const std::string kTrain = "L5244";

using testing::scratch_dir;

std::vector<std::string> compiled_names() {
  return {line_geometry_file_name(kLine), table_file_name(kLine, kTrain),
          segment_file_name(kLine, kTrain)};
}

using snapshot = std::map<std::string, std::string>;

snapshot compiled_files_in(const fs::path& dir) {
  snapshot files;
  for (const std::string& name : compiled_names())
    if (fs::is_regular_file(dir / name)) files[name] = read_whole_file(dir / name);
  return files;
}

// The identity of every file in `dir`: a file that was replaced, even by
// the same bytes, is another file.
std::map<std::string, ino_t> inodes_in(const fs::path& dir) {
  std::map<std::string, ino_t> inodes;
  for (const auto& e : fs::directory_iterator(dir)) {
    struct stat about {};
    if (e.is_regular_file() && ::stat(e.path().c_str(), &about) == 0)
      inodes[e.path().filename().string()] = about.st_ino;
  }
  inodes.erase("scenario-generator");
  return inodes;
}

const std::string kDocuments[] = {kLine + "_" + kTrain + "_note.txt",
                                  kLine + "_" + kTrain + "_rallentamenti.txt",
                                  kLine + "_" + kTrain + "_scheda_treno.txt"};

// The source texts are the run's own workings: no way out leaves them.
void expect_no_source_text(const fs::path& dir) {
  EXPECT_FALSE(fs::exists(dir / line_description_file_name(kLine)));
  EXPECT_FALSE(fs::exists(dir / train_service_file_name(kLine, kTrain)));
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
  // The shell becomes the generator, which thus keeps the shell's $$.
  const std::string command =
      limits + "exec '" + exe.string() + "' 2>'" + err.string() + "' </dev/null";
  const int raw = std::system(command.c_str());
  // Limits that fail stop the shell before it opens the error file.
  outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, fs::exists(err) ? read_whole_file(err) : ""};
  fs::remove(err);
  return o;
}

// Makes `dir` read-only; false when the user may write it anyway (root).
bool make_read_only(const fs::path& dir) {
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  return access(dir.c_str(), W_OK) != 0;
}

TEST(FileFaults, FullDiskWhileWritingTheRoutePlanKeepsTheEarlierFiles) {
  scratch_dir dir;
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
  scratch_dir dir;
  const snapshot before = good_run(dir.path());
  // From nothing at all to just short of the largest file: whichever write
  // fails first, no file is ever left half written.  The texts and documents
  // (1 185 to 3 904 bytes) are replaced all together or not at all, and so
  // are the compiled files.
  const struct {
    rlim_t limit;
    bool documents_replaced;
  } cases[] = {{0, false},    {100, false},    {1500, false},    {2800, false},
               {3500, false}, {600'000, true}, {1'219'963, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    const std::map<std::string, ino_t> files = inodes_in(dir.path());
    const outcome o = form_load_with_file_limit(dir.path(), c.limit);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(message_lines(o.err).size(), 1u) << o.err;
    EXPECT_NE(o.err.find("File too large; no file was replaced"), std::string::npos) << o.err;
    EXPECT_EQ(compiled_files_in(dir.path()), before);
    const std::map<std::string, ino_t> after = inodes_in(dir.path());
    for (const std::string& name : compiled_names()) EXPECT_EQ(after.at(name), files.at(name));
    for (const std::string& name : kDocuments)
      EXPECT_EQ(after.at(name) != files.at(name), c.documents_replaced) << name;
    expect_no_source_text(dir.path());
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
}

TEST(FileFaults, ExecutableOnAFullDiskExitsNonZeroWithOneLine) {
  scratch_dir dir;
  ASSERT_EQ(run_copy(dir.path()).status, 0);
  const snapshot before = compiled_files_in(dir.path());
  ASSERT_EQ(before.size(), 3u);
  // 64 blocks: room for the texts, not for the route plan.  The file-size
  // signal, which would end the run without a word, is ignored by the
  // generator itself.
  for (const char* limits : {"trap '' XFSZ; ulimit -f 64; ", "ulimit -f 64; "}) {
    SCOPED_TRACE(limits);
    const outcome o = run_copy(dir.path(), limits);
    EXPECT_EQ(o.status, 2);
    expect_one_clear_line(o.err, line_geometry_file_name(kLine), "File too large");
    EXPECT_EQ(compiled_files_in(dir.path()), before);
    expect_no_source_text(dir.path());
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
}

// Links planted in the output directory at every name the run writes, and at
// the temporary names an earlier version foresaw (<file>.tmp<pid>): the files
// they point to stay as they were, and every output is a file of its own.
TEST(FileFaults, PlantedLinksAreNeverFollowed) {
  scratch_dir dir, elsewhere;
  const fs::path victim = elsewhere.path() / "victim";
  std::ofstream(victim) << "precious";
  std::vector<std::string> names = compiled_names();
  names.insert(names.end(), std::begin(kDocuments), std::end(kDocuments));
  names.push_back(line_description_file_name(kLine));
  names.push_back(train_service_file_name(kLine, kTrain));
  std::string plant;
  for (const std::string& name : names) {
    fs::create_symlink(victim, dir.path() / name);
    plant += "ln -s '" + victim.string() + "' '" + (dir.path() / name).string() + ".tmp'$$; ";
  }
  const outcome o = run_copy(dir.path(), plant);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(read_whole_file(victim), "precious");
  for (const std::string& name : compiled_names()) {
    EXPECT_FALSE(fs::is_symlink(dir.path() / name)) << name;
    EXPECT_GT(fs::file_size(dir.path() / name), 3000u) << name;
  }
  for (const std::string& name : kDocuments) EXPECT_FALSE(fs::is_symlink(dir.path() / name));
  expect_no_source_text(dir.path());
}

// Whatever file of the run cannot be written, the run stops before it
// writes any: the earlier files stay, and neither source text is left.
TEST(FileFaults, AnyUnwritableNameStopsTheRunBeforeItsFirstFile) {
  std::vector<std::string> names = compiled_names();
  names.insert(names.end(), std::begin(kDocuments), std::end(kDocuments));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    scratch_dir dir;
    const snapshot before = good_run(dir.path());
    fs::remove(dir.path() / name);
    fs::create_directory(dir.path() / name);
    const std::map<std::string, ino_t> files = inodes_in(dir.path());
    std::ostringstream err;
    EXPECT_EQ(Form_Load(dir.path(), err), 2);
    expect_one_clear_line(err.str(), name, "Is a directory");
    EXPECT_EQ(inodes_in(dir.path()), files);
    expect_no_source_text(dir.path());
    EXPECT_TRUE(temporaries_in(dir.path()).empty());
  }
}

TEST(FileFaults, ACompiledFileThatCannotBeReplacedStopsTheRun) {
  scratch_dir dir;
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
  // The route plan and the segment file stay as they were.
  snapshot after = compiled_files_in(dir.path());
  snapshot expected = before;
  expected.erase(table);
  EXPECT_EQ(after, expected);
  EXPECT_TRUE(temporaries_in(dir.path()).empty());
}

TEST(FileFaults, OutputDirectoryUnderARegularFile) {
  scratch_dir dir;
  const fs::path file = dir.path() / "not-a-directory";
  std::ofstream(file) << "x";
  std::ostringstream err;
  EXPECT_NE(Form_Load(file / "out", err), 0);
  expect_one_clear_line(err.str(), line_description_file_name(kLine), "Not a directory");
  EXPECT_EQ(read_whole_file(file), "x");
}

TEST(FileFaults, ReadOnlyOutputDirectoryKeepsTheEarlierFiles) {
  scratch_dir dir;
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
  scratch_dir dir;
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
