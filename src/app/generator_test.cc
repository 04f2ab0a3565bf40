#include "app/generator.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace scenario {
namespace {
namespace fs = std::filesystem;

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "replace-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    target_ = dir_ / "Milano_Lecco_L5244.sim";
    replace_file(target_, "earlier table");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string content() const {
    std::ifstream in(target_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  size_t files() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
  fs::path target_;
};

TEST_F(ReplaceFileTest, ReplacesTheWholeFile) {
  replace_file(target_, "new");
  EXPECT_EQ(content(), "new");
  EXPECT_EQ(files(), 1u);
}

TEST_F(ReplaceFileTest, AFailedWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
  EXPECT_THROW(replace_file(target_,
                            [](std::ostream& out) {
                              out << "half";
                              out.setstate(std::ios::badbit);
                            }),
               file_error);
  EXPECT_THROW(replace_file(target_,
                            [](std::ostream& out) {
                              out << "half";
                              throw std::bad_alloc();
                            }),
               std::bad_alloc);
  EXPECT_EQ(content(), "earlier table");
  EXPECT_EQ(files(), 1u);
}

TEST_F(ReplaceFileTest, ErrorsNameTheFile) {
  try {
    replace_file(dir_ / "missing" / "x.dat", "bytes");
    FAIL();
  } catch (const file_error& e) {
    EXPECT_NE(std::string(e.what()).find("missing/x.dat"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace scenario
