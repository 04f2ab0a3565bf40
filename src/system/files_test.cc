#include "system/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "testing/scratch_dir.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

std::string message_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const file_error& e) {
    return e.what();
  }
  return "(no error)";
}

// An input that hands out `bytes` in pieces of at most `piece`, claiming
// `size`; after `fail_after` bytes it fails instead.
byte_source fake_source(std::string bytes, std::optional<uint64_t> size, size_t piece = 7,
                        size_t fail_after = SIZE_MAX) {
  auto at = std::make_shared<size_t>(0);
  return {size, [bytes = std::move(bytes), piece, fail_after, at](char* out, size_t n) {
            if (*at >= fail_after) throw file_error("cannot read f: Input/output error");
            const size_t count = std::min({n, piece, bytes.size() - *at});
            bytes.copy(out, count, *at);
            *at += count;
            return count;
          }};
}

TEST(ReadAll, EveryByteOrAnError) {
  const std::string text = "lunghezza percorso, 54000\r\n";
  struct read_case {
    const char* what;
    byte_source source;
    uint64_t limit;
    std::string error;  // empty: reads `text` whole
  } cases[] = {
      {"a file read in pieces", fake_source(text, text.size()), kNoSizeLimit, ""},
      {"a pipe, whose size is not known", fake_source(text, std::nullopt), kNoSizeLimit, ""},
      {"exactly at the limit", fake_source(text, text.size()), text.size(), ""},
      {"a file that ends short of its size", fake_source(text, text.size() + 100), kNoSizeLimit,
       "it ended after 27 of its 127 bytes"},
      {"a file that grows while it is read", fake_source(text + "more", text.size()), kNoSizeLimit,
       "it grew past its 27 bytes"},
      {"a read that fails", fake_source(text, text.size(), 7, 14), kNoSizeLimit,
       "Input/output error"},
      {"a file over the limit", fake_source(text, text.size()), 10, "27 bytes, more than the 10"},
      {"a pipe over the limit", fake_source(text, std::nullopt), 10, "more than the 10"},
      {"a size no string holds", fake_source(text, std::string().max_size() + uint64_t{1}),
       kNoSizeLimit, "not enough memory for its " + std::to_string(std::string().max_size() + 1)},
  };
  for (const read_case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.error.empty()) {
      EXPECT_EQ(read_all(c.source, "f", c.limit), text);
    } else {
      const std::string message = message_of([&] { read_all(c.source, "f", c.limit); });
      EXPECT_EQ(message.rfind("cannot read f: ", 0), 0u) << message;
      EXPECT_NE(message.find(c.error), std::string::npos) << message;
    }
  }
}

class FilesTest : public ::testing::Test {
 protected:
  std::set<std::string> names() const {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir_)) found.insert(e.path().filename().string());
    return found;
  }
  void spill(const std::string& name, const std::string& bytes) const {
    testing::spill(dir_ / name, bytes);
  }

  const testing::scratch_dir scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST_F(FilesTest, ReadsAWholeFileAndRefusesADirectory) {
  spill("text", std::string(200'000, 'x') + "end");
  EXPECT_EQ(read_whole_file(dir_ / "text").size(), 200'003u);
  EXPECT_EQ(read_whole_file(dir_ / "text", 200'003).substr(200'000), "end");
  EXPECT_NE(message_of([&] { read_whole_file(dir_ / "text", 1000); }).find("more than the 1000"),
            std::string::npos);
  EXPECT_NE(message_of([&] { read_whole_file(dir_); }).find("Is a directory"), std::string::npos);
  EXPECT_NE(message_of([&] { read_whole_file(dir_ / "none"); }).find("No such file"),
            std::string::npos);
}

// A file compared with bytes in memory, a piece at a time: a difference in
// any piece, or in the length, tells them apart.
TEST_F(FilesTest, AFileHoldsExactlyTheBytesItIsComparedWith) {
  std::string file(200'000, 'x');
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>('a' + i % 23);
  spill("large", file);
  auto changed_at = [&](size_t at) {
    std::string other = file;
    other[at] = '!';
    return other;
  };
  const std::vector<std::pair<std::string, bool>> cases = {
      {file, true},
      {changed_at(0), false},
      {changed_at(65'536), false},
      {changed_at(file.size() - 1), false},
      {file.substr(0, file.size() - 1), false},
      {file + "x", false},
      {"", false},
  };
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(file_holds(dir_ / "large", cases[i].first), cases[i].second) << "case " << i;
  spill("empty", "");
  EXPECT_TRUE(file_holds(dir_ / "empty", ""));
  EXPECT_NE(message_of([&] { file_holds(dir_ / "none", ""); }).find("No such file"),
            std::string::npos);
  EXPECT_NE(message_of([&] { file_holds(dir_, ""); }).find("Is a directory"), std::string::npos);
}

#ifndef _WIN32
// What one program wrote and another reads back is read only from a
// regular file; a named pipe is refused without waiting for a writer (the
// writer below comes only to end a read that waits, and would make this
// test fail rather than hang).  Any other input still reads from a pipe.
TEST_F(FilesTest, OnlyARegularFileIsReadWhereOneIsWritten) {
  const fs::path pipe = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  // Writes `text` into the pipe as soon as a reader has it open, for up to
  // a second; never waits for one.
  auto writer_of = [&](std::string text) {
    return std::thread([pipe, text] {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (std::chrono::steady_clock::now() < until) {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
          EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
          ::close(fd);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  };
  std::thread writer = writer_of("late");
  const std::string refused = message_of([&] { read_regular_file(pipe); });
  writer.join();
  EXPECT_NE(refused.find("pipe: it is a named pipe, not a regular file"), std::string::npos)
      << refused;
  EXPECT_NE(message_of([&] { read_regular_file("/dev/null"); }).find("it is a device"),
            std::string::npos);
  EXPECT_NE(message_of([&] { read_regular_file(dir_); }).find("Is a directory"), std::string::npos);
  spill("text", "lunghezza percorso, 54000\r\n");
  EXPECT_EQ(read_regular_file(dir_ / "text"), "lunghezza percorso, 54000\r\n");

  writer = writer_of("lunghezza percorso, 54000\r\n");
  EXPECT_EQ(read_whole_file(pipe), "lunghezza percorso, 54000\r\n");
  writer.join();
}
#endif

TEST_F(FilesTest, ASetReplacesEveryFileWholeAndLeavesNothingElse) {
  spill("a.dat", "an earlier and longer a");
  spill("b.sim", "an earlier b");
  const output_file files[] = {{dir_ / "a.dat", "A"}, {dir_ / "b.sim", "B"}, {dir_ / "c.dat", ""}};
  replace_files(files);
  EXPECT_EQ(read_whole_file(dir_ / "a.dat"), "A");
  EXPECT_EQ(read_whole_file(dir_ / "b.sim"), "B");
  EXPECT_EQ(read_whole_file(dir_ / "c.dat"), "");
  EXPECT_EQ(names(), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

// Each set fails before any file takes its name: every earlier file stays
// as it was, no temporary file stays, and the message says so.
TEST_F(FilesTest, ASetThatCannotBeWrittenWholeReplacesNothing) {
  struct failing_set {
    const char* what;
    std::vector<std::string> names;
    const char* error;
  } cases[] = {
      {"a directory in place of the third file", {"a.dat", "b.sim", "dir"}, "Is a directory"},
      {"a name that only the temporary ending makes too long",
       {"a.dat", std::string(250, 'n') + ".dat"},
       "a temporary file adds"},
      {"two names of one file, letter case aside", {"a.dat", "b.sim", "A.DAT"}, "one file"},
      {"a file in a directory that is not there", {"a.dat", "missing/x.dat"}, "No such file"},
  };
  for (const failing_set& c : cases) {
    SCOPED_TRACE(c.what);
    spill("a.dat", "earlier a");
    spill("b.sim", "earlier b");
    fs::create_directory(dir_ / "dir");
    const std::set<std::string> before = names();
    std::vector<output_file> files;
    for (const std::string& name : c.names) files.push_back({dir_ / name, "new bytes"});
    const std::string message = message_of([&] { replace_files(files); });
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
    EXPECT_NE(message.find(c.names.back()), std::string::npos) << message;
    EXPECT_NE(message.find("no file was replaced"), std::string::npos) << message;
    EXPECT_EQ(read_whole_file(dir_ / "a.dat"), "earlier a");
    EXPECT_EQ(read_whole_file(dir_ / "b.sim"), "earlier b");
    EXPECT_EQ(names(), before);
  }
}

TEST_F(FilesTest, ALinkAtTheFinalNameIsReplacedNotFollowed) {
  spill("victim", "precious");
  fs::create_symlink(dir_ / "victim", dir_ / "out.dat");
  replace_file(dir_ / "out.dat", "compiled");
  EXPECT_EQ(read_whole_file(dir_ / "victim"), "precious");
  EXPECT_FALSE(fs::is_symlink(dir_ / "out.dat"));
  EXPECT_EQ(read_whole_file(dir_ / "out.dat"), "compiled");
}

TEST_F(FilesTest, TemporaryFilesHaveUnforeseeableNamesAndGoWhateverStopsThem) {
  std::set<fs::path> seen;
  try {
    platform::temporary_file first(dir_ / "out.dat");
    platform::temporary_file second(dir_ / "out.dat");
    for (const auto* t : {&first, &second}) {
      seen.insert(t->path());
      EXPECT_EQ(t->path().parent_path(), dir_);
      const std::string name = t->path().filename().string();
      EXPECT_EQ(name.size(), 7 + platform::kTemporaryNameExtra) << name;
      EXPECT_EQ(name.rfind("out.dat.tmp", 0), 0u) << name;
    }
    first.write_all("half");
    throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
  }
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_TRUE(names().empty());
}

// The old set: a.dat and b.sim, and no c.dat; the new set has all three.
class ReplacementSteps : public FilesTest {
 protected:
  void SetUp() override {
    spill("a.dat", "old a");
    spill("b.sim", "old b");
  }
  const std::vector<output_file> files_ = {
      {dir_ / "a.dat", "new a"}, {dir_ / "b.sim", "new b"}, {dir_ / "c.dat", "new c"}};
  const std::set<std::string> old_names_ = {"a.dat", "b.sim"};
  const std::set<std::string> new_names_ = {"a.dat", "b.sim", "c.dat"};

  bool holds_old_set() const {
    return names() == old_names_ && read_whole_file(dir_ / "a.dat") == "old a" &&
           read_whole_file(dir_ / "b.sim") == "old b";
  }
  bool holds_new_set() const {
    return names() == new_names_ && read_whole_file(dir_ / "a.dat") == "new a" &&
           read_whole_file(dir_ / "b.sim") == "new b" && read_whole_file(dir_ / "c.dat") == "new c";
  }
};

// A disk that fills, or a rename the system refuses, at any step: the
// folder holds the old set exactly, the kept old files and temporaries go.
TEST_F(ReplacementSteps, AFailureAtAnyStepLeavesTheOldSet) {
  std::vector<std::pair<replacement_step, fs::path>> steps;
  const replacement_hook record = [&](replacement_step s, const fs::path& p) {
    steps.emplace_back(s, p);
  };
  const std::vector<std::pair<replacement_step, fs::path>> all_steps = [&] {
    std::vector<std::pair<replacement_step, fs::path>> expected;
    for (replacement_step s :
         {replacement_step::write, replacement_step::sync, replacement_step::rename})
      for (const output_file& f : files_) expected.emplace_back(s, f.path);
    return expected;
  }();
  for (size_t failing = 0; failing < all_steps.size(); ++failing) {
    SCOPED_TRACE("failing at step " + std::to_string(failing));
    SetUp();
    const std::string message = message_of([&] {
      replace_files(files_, [&](replacement_step s, const fs::path& p) {
        if (std::make_pair(s, p) == all_steps[failing]) throw file_error("injected failure");
      });
    });
    EXPECT_NE(message.find("injected failure; no file was replaced"), std::string::npos) << message;
    EXPECT_TRUE(holds_old_set());
  }
  replace_files(files_, record);
  EXPECT_EQ(steps, all_steps);
  EXPECT_TRUE(holds_new_set());
}

#ifndef _WIN32
// A run killed at any step leaves each file old or new, never cut, and
// what it left beside them goes with the next run that holds the folder.
TEST_F(ReplacementSteps, AKilledRunLeavesWholeFilesAndTheNextRunClearsItsLeftovers) {
  const std::vector<fs::path> paths = {files_[0].path, files_[1].path, files_[2].path};
  for (int killed_at = 0; killed_at < 9; ++killed_at) {
    SCOPED_TRACE("killed at step " + std::to_string(killed_at));
    SetUp();
    std::error_code ec;
    fs::remove(dir_ / "c.dat", ec);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int step = 0;
      replace_files(files_, [&](replacement_step, const fs::path&) {
        if (step++ == killed_at) ::_exit(0);
      });
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const int renamed = std::max(0, killed_at - 6);
    EXPECT_EQ(read_whole_file(dir_ / "a.dat"), renamed > 0 ? "new a" : "old a");
    EXPECT_EQ(read_whole_file(dir_ / "b.sim"), renamed > 1 ? "new b" : "old b");
    EXPECT_FALSE(fs::exists(dir_ / "c.dat"));
    if (killed_at > 0) {
      EXPECT_GT(names().size(), old_names_.size());  // its leftovers
    }
    remove_stale_temporaries(paths);
    EXPECT_EQ(names(), old_names_);
  }
}
#endif

TEST_F(ReplacementSteps, StaleTemporariesOfOtherNamesStay) {
  spill("a.dat.tmpAbCd1234", "left by a killed run");
  spill("x.dat.tmpAbCd1234", "another name's");
  spill("a.dat.tmpAbCd12", "too short to be one");
  spill("a.dat.tmpAbCd12-4", "not letters and digits");
  const fs::path a = dir_ / "a.dat";
  remove_stale_temporaries({&a, 1});
  EXPECT_EQ(names(), (std::set<std::string>{"a.dat", "b.sim", "x.dat.tmpAbCd1234",
                                            "a.dat.tmpAbCd12", "a.dat.tmpAbCd12-4"}));
}

#ifndef _WIN32
// A second run waits for the first, and with `wait` false is refused with
// the holder's name; the lock file goes with its last holder.
TEST_F(FilesTest, AHeldFolderMakesOtherRunsWaitOrRefuses) {
  const fs::path a = dir_ / "a.dat";
  {
    const held_folder held(dir_, {&a, 1}, "first run", true, nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        const held_folder second(dir_, {&a, 1}, "second run", false, nullptr);
      } catch (const file_error& e) {
        const std::string what = e.what();
        ::_exit(what.find("first run, process") != std::string::npos ? 0 : 2);
      }
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_TRUE(names().empty());
  // A run that waits gets the folder when the holder is done.
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const held_folder held(dir_, {&a, 1}, "slow run", true, nullptr);
    char ready = 1;
    if (::write(pipe_ends[1], &ready, 1) != 1) ::_exit(1);
    ::usleep(1'500'000);
    spill("a.dat", "written by the slow run");
    ::_exit(0);
  }
  char ready = 0;
  ASSERT_EQ(::read(pipe_ends[0], &ready, 1), 1);
  std::string told;
  {
    const held_folder held(dir_, {&a, 1}, "waiting run", true,
                           [&](const std::string& who) { told = who; });
    EXPECT_EQ(read_whole_file(a), "written by the slow run");
  }
  EXPECT_NE(told.find("slow run, process"), std::string::npos) << told;
  ::waitpid(holder, nullptr, 0);
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  EXPECT_EQ(names(), (std::set<std::string>{"a.dat"}));
}
#endif

}  // namespace
}  // namespace scenario
