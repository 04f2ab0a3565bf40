#include "tool/commands/identifiers.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario::tool
