#include "testing/scratch_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace scenario::testing {
namespace fs = std::filesystem;

scratch_dir::scratch_dir() {
  std::string pattern = (fs::temp_directory_path() / "scenario-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
}

// Tests make folders read-only to see writes fail; a folder without write
// permission keeps what it holds, so it is given back first.
scratch_dir::~scratch_dir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, ignored);
}

void spill(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace scenario::testing
