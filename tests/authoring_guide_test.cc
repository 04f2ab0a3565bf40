// The guide for authors stays true to the readers: every entry keyword they
// know, every section the writers use, every failure code and warning id is
// in it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "compile/explanations.h"
#include "line/line_reader.h"
#include "service/service_reader.h"

namespace scenario {
namespace {

std::string guide() {
  std::ifstream in(std::string(SCENARIO_SOURCE_DIR) + "/docs/authoring.md", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(AuthoringGuide, NamesEveryKeywordSectionCodeAndWarning) {
  const std::string text = guide();
  ASSERT_FALSE(text.empty()) << "docs/authoring.md is missing";
  std::vector<std::string> words;
  words.insert(words.end(), kLineGeneralKeywords.begin(), kLineGeneralKeywords.end());
  words.insert(words.end(), kLineEntryKeywords.begin(), kLineEntryKeywords.end());
  words.insert(words.end(), kServiceKeywords.begin(), kServiceKeywords.end());
  for (std::string& w : words) w = "`" + w;  // as a keyword, not any word of the prose
  words.insert(words.end(), kLineSections.begin(), kLineSections.end());
  words.insert(words.end(), kServiceSections.begin(), kServiceSections.end());
  for (const std::string& word : words) EXPECT_NE(text.find(word), std::string::npos) << word;
  for (const explanation& e : explanations()) {
    const std::string row = e.level == severity::error ? "| " + std::string(e.id) + " | "
                                                       : "| `" + std::string(e.id) + "` | ";
    EXPECT_NE(text.find(row), std::string::npos) << e.id;
  }
}

TEST(AuthoringGuide, TheReadmePointsToIt) {
  std::ifstream readme(std::string(SCENARIO_SOURCE_DIR) + "/README.md");
  std::ostringstream text;
  text << readme.rdbuf();
  EXPECT_NE(text.str().find("docs/authoring.md"), std::string::npos);
}

}  // namespace
}  // namespace scenario
