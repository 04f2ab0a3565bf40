#include "tool/commands/identifiers.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

namespace scenario::tool {
namespace {

TEST(Identifiers, TakenFromConventionalNames) {
  const identifiers ids =
      resolve_identifiers("texts/Milano_Lecco_linea.txt", "texts/Milano_Lecco_L5244-.txt", {}, {});
  EXPECT_EQ(ids.line_id, "Milano_Lecco");
  EXPECT_EQ(ids.train_code, "L5244");
}

TEST(Identifiers, FlagsWinOverNames) {
  const identifiers ids =
      resolve_identifiers("Milano_Lecco_linea.txt", "Other_X-.txt", "Other", std::nullopt);
  EXPECT_EQ(ids.line_id, "Other");
  EXPECT_EQ(ids.train_code, "X");
  EXPECT_EQ(resolve_identifiers("a.txt", "b.txt", "A", "B").train_code, "B");
}

TEST(Identifiers, NamesThatDoNotTellNeedFlags) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"line.txt", "Milano_Lecco_L5244-.txt"},               // no line identifier
      {"_linea.txt", "_L5244-.txt"},                         // an empty one
      {"Milano_Lecco_linea.txt", "L5244-.txt"},              // service of no line
      {"Milano_Lecco_linea.txt", "Other_L5244-.txt"},        // of another line
      {"Milano_Lecco_linea.txt", "Milano_Lecco_-.txt"},      // empty train code
      {"Milano_Lecco_linea.txt", "Milano_Lecco_L5244.txt"},  // no dash
  };
  for (const auto& [line, service] : cases)
    EXPECT_THROW(resolve_identifiers(line, service, {}, {}), usage_error) << line << " " << service;
}

TEST(Identifiers, ThoseThatLeaveTheDirectoryAreRefused) {
  for (const char* bad : {"", "a/b", "/abs", "a\\b", "..", "x..y", "../up"}) {
    EXPECT_THROW(check_identifier("line identifier", bad), usage_error) << bad;
    EXPECT_THROW(resolve_identifiers("a", "b", std::string(bad), "T"), usage_error) << bad;
    EXPECT_THROW(resolve_identifiers("a", "b", "L", std::string(bad)), usage_error) << bad;
  }
  EXPECT_THROW(check_identifier("train code", std::string("a\0b", 3)), usage_error);
  EXPECT_NO_THROW(check_identifier("line identifier", "Milano_Lecco.2"));
}

// Line "A_B" with train "T" writes A_B_linea.dat as its geometry file; line
// "A" with train "B_linea" would write its segment file under that name.
TEST(Identifiers, TrainCodesThatMakeALineGeometryFileNameAreRefused) {
  for (const char* bad : {"linea", "Linea", "B_linea", "B_LINEA", "x_y_linea"}) {
    EXPECT_THROW(check_train_code(bad), usage_error) << bad;
    EXPECT_THROW(resolve_identifiers("a", "b", "A", std::string(bad)), usage_error) << bad;
  }
  for (const char* good : {"L5244", "Blinea", "linea_B", "lineas", "B_linee"})
    EXPECT_NO_THROW(check_train_code(good)) << good;
}

// The scenario in a directory of compiled files, told by their names alone.
TEST(Identifiers, FoundByTheCompiledFilesNames) {
  struct found {
    std::vector<std::string> files;
    std::string line_id, train_code;  // empty: refused
  };
  const std::vector<found> cases = {
      {{"A_linea.dat", "A_T.sim", "A_T.dat", "A_T.svg"}, "A", "T"},
      {{"A_B_linea.dat", "A_B_C_D.sim"}, "A_B", "C_D"},   // '_' inside both
      {{"A_linea.dat", "A_T.sim", "B_U.sim"}, "A", "T"},  // another line's table
      {{"A_linea.dat", "A_T.sim", "A_U.sim"}, "", ""},    // two tables
      {{"A_linea.dat", "B_linea.dat", "A_T.sim"}, "", ""},
      {{"_linea.dat", "A_T.sim"}, "", ""},  // names no line
      {{"A_linea.dat", "A_.sim", ".sim"}, "", ""},
      {{"A_T.sim", "A_T.dat"}, "", ""},
  };
  for (const found& c : cases) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ids-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path dir = pattern;
    for (const std::string& f : c.files) std::ofstream(dir / f) << "x";
    const std::string listed = c.files[0] + " " + c.files[1];
    if (c.line_id.empty()) {
      EXPECT_THROW(find_scenario(dir, {}, {}), usage_error) << listed;
    } else {
      const identifiers ids = find_scenario(dir, {}, {});
      EXPECT_EQ(ids.line_id, c.line_id) << listed;
      EXPECT_EQ(ids.train_code, c.train_code) << listed;
    }
    // The flags need no look at the directory.
    EXPECT_EQ(find_scenario(dir, "L", "T").line_id, "L");
    EXPECT_EQ(find_scenario(dir / "missing", "L", "T").train_code, "T");
    std::filesystem::remove_all(dir);
  }
}

}  // namespace
}  // namespace scenario::tool
