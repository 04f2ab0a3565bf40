#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "system/platform.h"
#include "system/terminal_text.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void fail(std::string_view verb, const fs::path& path, int error) {
  throw file_error(std::string(verb) + " " + shown(path) + ": " + std::strerror(error));
}

int descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// Letters and digits drawn from the system's entropy: another user who can
// write the directory cannot plant anything at a name not yet drawn.
std::string random_letters(std::size_t count) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 generator = [] {
    std::seed_seq::result_type seed[4] = {};
    try {
      std::random_device device;
      for (auto& s : seed) s = device();
    } catch (const std::exception&) {
      // No entropy source: the names become guessable, but creation stays
      // exclusive, so a planted file still only makes us draw again.
      seed[0] = static_cast<std::seed_seq::result_type>(::getpid());
      seed[1] = static_cast<std::seed_seq::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count());
    }
    std::seed_seq sequence(std::begin(seed), std::end(seed));
    return std::mt19937_64(sequence);
  }();
  std::string letters;
  for (std::size_t i = 0; i < count; ++i)
    letters.push_back(kAlphabet[generator() % kAlphabet.size()]);
  return letters;
}

constexpr std::string_view kTemporaryMark = ".tmp";
static_assert(kTemporaryMark.size() + 8 == platform::kTemporaryNameExtra);
constexpr int kCreationAttempts = 100;

}  // namespace

fs::path output_directory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) throw file_error("cannot find the program's own directory: " + ec.message());
  return exe.parent_path();
}

namespace platform {

// POSIX hands arguments over as the bytes the user gave, and a terminal
// takes UTF-8 as it comes.
std::vector<std::string> program_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void set_up_console() {}

void ignore_file_size_limit_signal() { ::signal(SIGXFSZ, SIG_IGN); }

namespace {

// The limits of an existing directory; none for one that is not there.
std::optional<name_limits> limits_at(const fs::path& dir) {
  name_limits limits;
  errno = 0;
  const long name = ::pathconf(dir.c_str(), _PC_NAME_MAX);
  if (name < 0 && errno != 0) return std::nullopt;
  if (name > 0) limits.name_bytes = static_cast<std::size_t>(name);
  const long path = ::pathconf(dir.c_str(), _PC_PATH_MAX);
  // That limit counts the terminating NUL.
  if (path > 1) limits.path_bytes = static_cast<std::size_t>(path - 1);
  return limits;
}

}  // namespace

name_limits name_limits_of(const fs::path& dir) {
  for (fs::path p = dir; !p.empty(); p = p.parent_path()) {
    if (auto limits = limits_at(p)) return *limits;
    if (p == p.parent_path()) break;
  }
  if (dir.is_relative())
    if (auto limits = limits_at(".")) return *limits;
  return {};
}

namespace {

// What a file that is not a regular one is, as a refusal names it.
std::string kind_of_special_file(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

}  // namespace

input_file::input_file(const fs::path& path, accepted_input accepted) : path_(path), handle_(-1) {
  // Opened without waiting: opening a named pipe for reading would
  // otherwise wait for a writer, perhaps forever, before fstat could tell
  // what it is.
  const int wait_flag = accepted == accepted_input::regular_file ? O_NONBLOCK : 0;
  int fd;
  do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | wait_flag);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) fail("cannot read", path, errno);
  handle_ = fd;
  struct stat about {};
  if (::fstat(fd, &about) != 0) {
    const int error = errno;
    ::close(fd);
    fail("cannot read", path, error);
  }
  if (S_ISDIR(about.st_mode)) {
    ::close(fd);
    fail("cannot read", path, EISDIR);
  }
  if (accepted == accepted_input::regular_file) {
    if (!S_ISREG(about.st_mode)) {
      ::close(fd);
      throw file_error("cannot read " + shown(path) + ": it is " +
                       kind_of_special_file(about.st_mode) + ", not a regular file");
    }
    // Reads of a regular file wait for the disk as they always do.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      const int error = errno;
      ::close(fd);
      fail("cannot read", path, error);
    }
  }
  if (S_ISREG(about.st_mode) && about.st_size > 0)
    size_ = static_cast<std::uint64_t>(about.st_size);
}

input_file::~input_file() { ::close(descriptor(handle_)); }

std::size_t input_file::read_some(char* buffer, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(descriptor(handle_), buffer, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) fail("cannot read", path_, errno);
  }
}

temporary_file::temporary_file(const fs::path& final_path) : final_path_(final_path), handle_(-1) {
  const fs::path dir = final_path.parent_path();
  const std::string name = final_path.filename().string();
  for (int attempt = 0; attempt < kCreationAttempts; ++attempt) {
    path_ = dir / (name + std::string(kTemporaryMark) + random_letters(8));
    // O_EXCL refuses any name that exists, a dangling link included.
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      return;
    }
    if (errno != EEXIST && errno != EINTR) fail("cannot write", final_path, errno);
  }
  fail("cannot write", final_path, EEXIST);
}

temporary_file::temporary_file(temporary_file&& other) noexcept
    : final_path_(std::move(other.final_path_)),
      path_(std::move(other.path_)),
      handle_(other.handle_),
      renamed_(other.renamed_) {
  other.handle_ = -1;
  other.renamed_ = true;
}

temporary_file::~temporary_file() {
  if (handle_ >= 0) ::close(descriptor(handle_));
  if (!renamed_) ::unlink(path_.c_str());
}

void temporary_file::write_all(std::string_view bytes) {
  // Linux is asked to put each piece on the disk as soon as it is written:
  // the disk then works while the next piece is copied, and close() has
  // little left to wait for (a 20 MB route plan reaches the disk in about
  // two thirds of the time of one write followed by the wait).  Only a
  // hint: close() checks.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const int fd = descriptor(handle_);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t piece_end = std::min(bytes.size(), done + kPiece);
    const std::size_t piece_start = done;
    while (done < piece_end) {
      const ssize_t n = ::write(fd, bytes.data() + done, piece_end - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) fail("cannot write", final_path_, n < 0 ? errno : EIO);
      done += static_cast<std::size_t>(n);
    }
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, static_cast<off_t>(piece_start),
                      static_cast<off_t>(piece_end - piece_start), SYNC_FILE_RANGE_WRITE);
#endif
  }
}

void temporary_file::close() {
  const int fd = descriptor(handle_);
  handle_ = -1;
  // fsync reports a write error that an earlier write(2) did not, and the
  // data is on the disk before the rename makes it the file.
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int error = errno;
    ::close(fd);
    fail("cannot write", final_path_, error);
  }
  if (::close(fd) != 0 && errno != EINTR) fail("cannot write", final_path_, errno);
}

void temporary_file::rename_over() {
  if (::rename(path_.c_str(), final_path_.c_str()) != 0) fail("cannot replace", final_path_, errno);
  renamed_ = true;
}

void remove_file(const fs::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("cannot delete", path, errno);
}

}  // namespace platform
}  // namespace scenario

namespace scenario::platform {
namespace {

// Another name drawn like a temporary file's, for `path`'s own file.
fs::path spare_name(const fs::path& path) {
  fs::path spare = path;
  spare += std::string(kTemporaryMark) + random_letters(8);
  return spare;
}

std::string holder_of(int fd) {
  char text[256];
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  std::string holder(text, n > 0 ? static_cast<size_t>(n) : 0);
  while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\0')) holder.pop_back();
  return holder.empty() ? "another run" : holder;
}

// The lock is taken on the file the name stands for now: a run that
// waited on a file its holder has since deleted must take the new one.
bool still_named(int fd, const fs::path& path) {
  struct stat held {
  }, named{};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

int open_lock_file(const fs::path& path) {
  int fd;
  do fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) throw unwritable_folder(std::strerror(errno));
  return fd;
}

// Tries for about a second, then tells `on_wait` and waits as long as it
// takes.  False when `wait` is false and the folder is held.
bool take(int fd, bool wait, const std::function<void(const std::string&)>& on_wait, bool& told) {
  for (int tries = 0; tries < 20; ++tries) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (!wait) return false;
    ::usleep(50000);
  }
  if (!told && on_wait) on_wait(holder_of(fd));
  told = true;
  while (::flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return false;
  return true;
}

}  // namespace

std::optional<fs::path> keep_old_file(const fs::path& path) {
  struct stat about {};
  if (::lstat(path.c_str(), &about) != 0 || !S_ISREG(about.st_mode)) return std::nullopt;
  for (int attempt = 0; attempt < kCreationAttempts; ++attempt) {
    const fs::path spare = spare_name(path);
    if (::link(path.c_str(), spare.c_str()) == 0) return spare;
    if (errno != EEXIST && errno != EINTR) return std::nullopt;
  }
  return std::nullopt;
}

void rename_file(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) fail("cannot replace", to, errno);
}

folder_lock::folder_lock(const fs::path& dir, std::string_view holder, bool wait,
                         const std::function<void(const std::string&)>& on_wait)
    : path_(dir / kFileName), handle_(-1) {
  bool told = false;
  for (;;) {
    const int fd = open_lock_file(path_);
    if (!take(fd, wait, on_wait, told)) {
      const int error = errno;
      const std::string who = holder_of(fd);
      ::close(fd);
      if (error == EWOULDBLOCK || error == EINTR)
        throw file_error("cannot write into " + shown(dir) + ": " + who +
                         " is writing there (wait for it, or run without --no-wait)");
      throw unwritable_folder(std::strerror(error));
    }
    if (still_named(fd, path_)) {
      handle_ = fd;
      break;
    }
    ::close(fd);
  }
  const std::string text = std::string(holder) + ", process " + std::to_string(::getpid()) + "\n";
  // Only words for a run that waits: a lock file that cannot take them
  // locks all the same.
  const int fd = descriptor(handle_);
  if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.data(), text.size(), 0) < 0) return;
}

folder_lock::~folder_lock() {
  // Deleted while still held: a run that waits on it then finds the name
  // gone or another file's, and starts again.
  ::unlink(path_.c_str());
  ::close(descriptor(handle_));
}

}  // namespace scenario::platform
