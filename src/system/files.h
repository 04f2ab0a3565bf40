// Reading and writing whole files, for both programs: a read either gives
// every byte of the file or fails, and a set of files is replaced all
// together or not at all.
#ifndef SCENARIO_APP_FILES_H_
#define SCENARIO_APP_FILES_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/platform.h"

namespace scenario {

inline constexpr std::uint64_t kNoSizeLimit = std::numeric_limits<std::uint64_t>::max();

// An input as a whole read sees it: the size it claims, if any, and its
// bytes a piece at a time (0 only at the end).
struct byte_source {
  std::optional<std::uint64_t> size;
  std::function<std::size_t(char*, std::size_t)> read_some;
};

// Every byte of `source`, which errors call `path`.  Refused (file_error):
// an input that ends before the size it claimed or runs on past it, one of
// more than `limit` bytes, one too large for the memory there is.
std::string read_all(const byte_source& source, const std::filesystem::path& path,
                     std::uint64_t limit = kNoSizeLimit);

// The whole bytes of a file, as read_all reads them.
std::string read_whole_file(const std::filesystem::path& path, std::uint64_t limit = kNoSizeLimit);

// Likewise, but only from a regular file (platform::accepted_input): what a
// program wrote and another reads back, never a pipe or a device.
std::string read_regular_file(const std::filesystem::path& path,
                              std::uint64_t limit = kNoSizeLimit);

// Whether the regular file at `path` holds exactly `bytes`, read and
// compared a piece at a time, so that a large file is never held whole; a
// file that cannot be read is refused as read_regular_file refuses it.
bool file_holds(const std::filesystem::path& path, std::string_view bytes);

// One file to write: where, and all its bytes.
struct output_file {
  std::filesystem::path path;
  std::string_view bytes;
};

// A path as a file system that does not tell letter case apart sees it (the
// simulator's, where compiled files end up).
std::string folded_name(const std::filesystem::path& path);

// Refuses (file_error), before anything is written: a name longer than its
// directory takes once a temporary file's ending is added, a path too long
// for the system likewise, two names that are one file where letter case is
// not told apart, a directory where a file is to go.
void check_output_names(std::span<const std::filesystem::path> paths);

// A replacement that failed; `replaced` lists the files it had replaced.
class replacement_error : public file_error {
 public:
  replacement_error(const std::string& what, std::vector<std::filesystem::path> replaced)
      : file_error(what), replaced_(std::move(replaced)) {}
  const std::vector<std::filesystem::path>& replaced() const { return replaced_; }

 private:
  std::vector<std::filesystem::path> replaced_;
};

// The steps of a replacement that can fail, in their order for each file:
// for tests that make each one fail in turn, or end the process there.
enum class replacement_step { write, sync, rename };
using replacement_hook =
    std::function<void(replacement_step, const std::filesystem::path& final_path)>;

// Replaces all `files` or none.  Every file goes to a temporary file beside
// it first; only when all are on the disk do they take their final names,
// in the order given.  A failure before that removes every temporary file
// and leaves every earlier file as it was; one while they take their names
// puts back the files already replaced (each old file is kept under a
// second name until the last rename), and says which it could not.  A
// process killed between two renames leaves some files new and some old:
// a set that must be known whole names a record last (see compile_record).
// `before_step` is called before each step.
void replace_files(std::span<const output_file> files, const replacement_hook& before_step = {});

// Removes what runs that ended without a word left in place of `paths`:
// their temporary files and kept old files.  Only for a run that holds the
// folder's lock, when no live run can own them.
void remove_stale_temporaries(std::span<const std::filesystem::path> paths);

// A folder held by this run while it writes `paths` there: no other run
// writes into it meanwhile (a second one waits, or with `wait` false is
// refused with file_error), and what killed runs left of those names is
// removed first.  `on_wait` hears once, after a second of waiting, who holds
// the folder.  The folder must exist.
class held_folder {
 public:
  held_folder(const std::filesystem::path& dir, std::span<const std::filesystem::path> paths,
              std::string_view holder, bool wait,
              const std::function<void(const std::string& holder)>& on_wait);

 private:
  std::unique_ptr<platform::folder_lock> lock_;
};

// One file alone.
void replace_file(const std::filesystem::path& path, std::string_view bytes);

// Creates `dir` and the directories above it that are missing (file_error
// when it cannot).
void make_directories(const std::filesystem::path& dir);

}  // namespace scenario

#endif  // SCENARIO_APP_FILES_H_
