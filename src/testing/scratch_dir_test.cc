#include "testing/scratch_dir.h"

#include <gtest/gtest.h>

#include <string>

#include "system/files.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

using testing::scratch_dir;
using testing::spill;

TEST(ScratchDir, IsEmptyAndOwnAndGoesWithAllItHolds) {
  fs::path kept;
  {
    const scratch_dir a, b;
    kept = a.path();
    EXPECT_NE(a.path(), b.path());
    ASSERT_TRUE(fs::is_directory(a.path()));
    EXPECT_TRUE(fs::is_empty(a.path()));
    // A folder a test made read-only, with a file in it, goes too.
    fs::create_directories(a / "locked/inner");
    spill(a / "locked/inner/file", "bytes");
    fs::permissions(a / "locked/inner", fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(a / "locked", fs::perms::none);
    fs::permissions(a.path(), fs::perms::owner_read | fs::perms::owner_exec);
  }
  EXPECT_FALSE(fs::exists(kept));
}

TEST(ScratchDir, SpillWritesTheBytesWholeOrThrows) {
  const scratch_dir dir;
  const std::string bytes("a\0b\r\n", 5);
  spill(dir / "f", "an earlier and longer text");
  spill(dir / "f", bytes);
  EXPECT_EQ(read_whole_file(dir / "f"), bytes);
  EXPECT_THROW(spill(dir / "missing/f", "x"), std::runtime_error);
}

}  // namespace
}  // namespace scenario
