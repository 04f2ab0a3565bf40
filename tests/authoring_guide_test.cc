// The guide for authors stays true to the readers: every entry keyword they
// know, every section the writers use, every failure code and warning id is
// in it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compile/explanations.h"
#include "line/line_reader.h"
#include "model/fields.h"
#include "model/positions.h"
#include "service/service_reader.h"
#include "system/files.h"

namespace scenario {
namespace {

std::string source_file(const std::string& name) {
  return read_whole_file(std::string(SCENARIO_SOURCE_DIR) + "/" + name);
}

TEST(AuthoringGuide, NamesEveryKeywordSectionCodeAndWarning) {
  const std::string text = source_file("docs/authoring.md");
  ASSERT_FALSE(text.empty());
  std::vector<std::string> words;
  words.insert(words.end(), kLineGeneralKeywords.begin(), kLineGeneralKeywords.end());
  words.insert(words.end(), kLineEntryKeywords.begin(), kLineEntryKeywords.end());
  words.insert(words.end(), kServiceKeywords.begin(), kServiceKeywords.end());
  for (std::string& w : words) w = "`" + w;  // as a keyword, not any word of the prose
  words.insert(words.end(), kLineSections.begin(), kLineSections.end());
  words.insert(words.end(), kServiceSections.begin(), kServiceSections.end());
  for (const std::string& word : words) EXPECT_NE(text.find(word), std::string::npos) << word;
  // Each diagnostic in the table of its kind: failures by code, losses
  // (errors) and warnings by id, each under its own heading.
  const size_t losses = text.find("\n## Losses\n");
  const size_t warnings = text.find("\n## Warnings\n");
  ASSERT_NE(losses, std::string::npos);
  ASSERT_NE(warnings, std::string::npos);
  ASSERT_LT(losses, warnings);
  for (const explanation& e : explanations()) {
    const std::string row =
        is_numbered(e) ? "| " + std::string(e.id) + " | " : "| `" + std::string(e.id) + "` | ";
    const size_t at = text.find(row);
    ASSERT_NE(at, std::string::npos) << e.id;
    if (is_numbered(e)) {
      EXPECT_LT(at, losses) << e.id;
    } else if (is_loss(e)) {
      EXPECT_TRUE(at > losses && at < warnings) << e.id << " is listed outside the losses";
    } else {
      EXPECT_GT(at, warnings) << e.id << " is listed outside the warnings";
    }
  }
}

// The guide's table "what lands where" says, for every kind an entry places
// by position, the offset and the position the views show that the model
// uses, and where a position of 14 000 m lands.
TEST(AuthoringGuide, WhatLandsWhereFollowsTheModel) {
  const std::string text = source_file("docs/authoring.md");
  for (const placed_kind& p : kPlacedKinds) {
    const std::string row = "| " + std::string(segment_kind_name(p.kind)) + " | " +
                            std::to_string(p.offset) + " | " + std::string(p.written) +
                            " | segment " + std::to_string(segment_index(14000, p.offset)) + " |";
    EXPECT_NE(text.find(row), std::string::npos) << row;
  }
}

TEST(AuthoringGuide, TheReadmePointsToIt) {
  EXPECT_NE(source_file("README.md").find("docs/authoring.md"), std::string::npos);
}

}  // namespace
}  // namespace scenario
