// The few file-system services both programs need that the standard library
// cannot give safely: the program's own directory, exclusive temporary
// files, whole reads whose length is checked, renames and deletions that
// say why they failed; and the arguments and the console as UTF-8 text.  One implementation per
// operating system (platform_<system>.cc); nothing else in the programs depends on one.
#ifndef SCENARIO_APP_PLATFORM_H_
#define SCENARIO_APP_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// A file that could not be written, read or deleted; what() names the file
// and the reason.
class file_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The directory that holds the running executable.
std::filesystem::path output_directory();

namespace platform {

// The command line's arguments, program name first, as UTF-8.
std::vector<std::string> program_arguments(int argc, char** argv);

// Makes standard output and standard error carry the bytes written to them
// unchanged ('\n' stays '\n'), and a console show UTF-8 as its characters.
// Called once, before anything is written.
void set_up_console();

// A path from UTF-8 text (an argument, a name made of identifiers), and the
// UTF-8 text of a path.  On POSIX both are the bytes as they are; on Windows
// the standard library would read narrow text in the ANSI code page.
inline std::filesystem::path path_from_utf8(std::string_view text) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

inline std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// A write beyond the process's file-size limit then fails like a full disk
// instead of ending the process without a word.
void ignore_file_size_limit_signal();

// Bytes a temporary file's name has beyond its final name's.
inline constexpr std::size_t kTemporaryNameExtra = 12;

// The longest file name, and the longest whole path, a directory takes.
struct name_limits {
  std::size_t name_bytes = 255;
  std::size_t path_bytes = 4095;
};
// For a directory that does not exist yet, its nearest existing parent's.
name_limits name_limits_of(const std::filesystem::path& dir);

// What an input may be.  A source text may come from anything that reads
// (a pipe such as /dev/stdin, a process substitution); a compiled file or a
// compile record only from a regular file: a named pipe put in its place
// would keep the reader waiting for a writer forever, a device would never
// end.
enum class accepted_input { anything, regular_file };

// A file open for reading.  Throws file_error naming it and the reason.
class input_file {
 public:
  explicit input_file(const std::filesystem::path& path,
                      accepted_input accepted = accepted_input::anything);
  ~input_file();
  input_file(const input_file&) = delete;
  input_file& operator=(const input_file&) = delete;

  // The size the file system gives for a file; none for a pipe or a device,
  // nor for a file that says it is empty (many virtual files do).
  std::optional<std::uint64_t> size() const { return size_; }
  // Up to `n` bytes; 0 only at the end.
  std::size_t read_some(char* buffer, std::size_t n);

 private:
  std::filesystem::path path_;
  std::intptr_t handle_;
  std::optional<std::uint64_t> size_;
};

// A new file in the directory of `final_path`, under a name no one can
// foresee, that no existing file or link can stand in for.  Unless it has
// taken its final name, it is closed and deleted when it goes.  Errors
// name the final file.
class temporary_file {
 public:
  explicit temporary_file(const std::filesystem::path& final_path);
  ~temporary_file();
  temporary_file(temporary_file&& other) noexcept;
  temporary_file(const temporary_file&) = delete;
  temporary_file& operator=(const temporary_file&) = delete;
  temporary_file& operator=(temporary_file&&) = delete;

  const std::filesystem::path& path() const { return path_; }
  const std::filesystem::path& final_path() const { return final_path_; }

  // Every byte, in one loop of writes.
  void write_all(std::string_view bytes);
  // Onto the disk and closed: a write error the system kept back shows here.
  void close();
  // Takes the final name, replacing what stood there (a link itself, never
  // what it points to).
  void rename_over();

 private:
  std::filesystem::path final_path_;
  std::filesystem::path path_;
  std::intptr_t handle_;
  bool renamed_ = false;
};

// Deletes a file; one that is not there is no error.
void remove_file(const std::filesystem::path& path);

// A second name for the file at `path`: a hard link beside it under a name
// like a temporary file's, so that a replacement can put the file back if
// a later step fails.  None when there is no regular file there or the file
// system cannot link it (the replacement then cannot undo that file).
std::optional<std::filesystem::path> keep_old_file(const std::filesystem::path& path);

// Renames `from` over `to`, replacing what stood there.
void rename_file(const std::filesystem::path& from, const std::filesystem::path& to);

// A folder whose lock file cannot be made or locked, so that nothing can
// be written there either; what() is the system's reason alone.
class unwritable_folder : public file_error {
 public:
  using file_error::file_error;
};

// An advisory lock on one folder, held by a run for as long as it writes a
// set of files there, so that two runs never mix their files.  The lock is
// a file in the folder that holds the name of the run that has it; it goes
// when the last run that waited for it is done.
class folder_lock {
 public:
  // Waits while another run holds the folder, telling `on_wait` once
  // after a second (with the holder's name); with `wait` false it throws
  // file_error naming the holder instead.
  folder_lock(const std::filesystem::path& dir, std::string_view holder, bool wait,
              const std::function<void(const std::string& holder)>& on_wait);
  ~folder_lock();
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;

  static constexpr std::string_view kFileName = ".scenario.lock";

 private:
  std::filesystem::path path_;
  std::intptr_t handle_;
};

}  // namespace platform
}  // namespace scenario

#endif  // SCENARIO_APP_PLATFORM_H_
