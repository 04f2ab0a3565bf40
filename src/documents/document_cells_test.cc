#include "documents/document_cells.h"

#include <gtest/gtest.h>

#include "reading/warning_ids.h"

namespace scenario {
namespace {

constexpr cell_place kPlace{"station name", "the test column", document_source::train_service};

TEST(DocumentCells, TextIsSetIntoItsColumnAndCutWithAWarning) {
  const struct {
    std::string text;
    size_t width, indent;
    std::string cell;
    bool cut;
  } cases[] = {
      {"Monza", 28, 1, " Monza                      ", false},
      {"Monza - Arcore", 28, 5, "     Monza - Arcore         ", false},
      {"ABCDEFGHIJ", 12, 1, " ABCDEFGHIJ ", false},  // just fits, one blank kept
      {"ABCDEFGHIJK", 12, 1, " ABCDEFGHIJ ", true},
      {"", 5, 1, "     ", false},
      {"A\r\nB\tC", 8, 1, " A  B C ", false},  // line ends and tabs of a quoted name
  };
  for (const auto& c : cases) {
    std::vector<document_warning> warnings;
    EXPECT_EQ(left_cell(c.text, c.width, c.indent, kPlace, warnings), c.cell) << c.text;
    ASSERT_EQ(warnings.size(), c.cut ? 1u : 0u) << c.text;
    if (c.cut) {
      EXPECT_EQ(warnings[0].id, warning_id::kNameCut);
      EXPECT_EQ(warnings[0].source, document_source::train_service);
      EXPECT_EQ(warnings[0].message,
                "the test column holds 10 characters: station name \"ABCDEFGHIJK\" is cut to "
                "\"ABCDEFGHIJ\"");
    }
  }
}

TEST(DocumentCells, CentredTextLeavesTheOddBlankToTheRight) {
  std::vector<document_warning> warnings;
  EXPECT_EQ(centred_cell("13.200", 12, kPlace, warnings), "   13.200   ");
  EXPECT_EQ(centred_cell("30", 10, kPlace, warnings), "    30    ");
  EXPECT_EQ(centred_cell("-", 12, kPlace, warnings), "     -      ");
  EXPECT_EQ(centred_cell("125%", 14, kPlace, warnings), "     125%     ");
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(centred_cell("1234", 3, kPlace, warnings), "123");
  EXPECT_EQ(warnings.size(), 1u);
}

TEST(DocumentCells, TimetableTimesMarkTheHalfMinute) {
  const struct {
    int64_t seconds;
    std::string text;
  } cases[] = {
      {25 * 60, "0.25"},
      {33 * 60 + 30, "0.33+"},
      {33 * 60 + 29, "0.33"},
      {3600 + 2 * 60 + 59, "1.02+"},
      {23 * 3600 + 59 * 60, "23.59"},
      {24 * 3600 + 65, "0.01"},  // past midnight
      {-30, "23.59+"},           // an arrival before midnight of a train leaving after it
  };
  for (const auto& c : cases) EXPECT_EQ(timetable_time(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace scenario
