// A directory of its own for a test or a benchmark, and the files written
// into it.
#ifndef SCENARIO_TESTING_SCRATCH_DIR_H_
#define SCENARIO_TESTING_SCRATCH_DIR_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace scenario::testing {

// An empty directory under the system's temporary directory, removed with
// all it holds when the object goes, even where a test took away the write
// permission of the directory or of folders in it.
class scratch_dir {
 public:
  scratch_dir();
  ~scratch_dir();
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes `bytes` as the whole of the file at `path`; throws if it cannot.
// (Files are read back whole with read_whole_file of system/files.h.)
void spill(const std::filesystem::path& path, std::string_view bytes);

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_SCRATCH_DIR_H_
