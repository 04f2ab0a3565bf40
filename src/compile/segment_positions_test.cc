// Where entries written at positions between two multiples of 50 m land.
// An exact half goes to the even segment of the whole expression
// position / 50 + offset; every expected cell below was worked out by hand.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "reading/warning_ids.h"
#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

struct placement {
  const char* name;
  std::string line_entries;
  std::string service_entries;
  std::map<int, uint8_t> kinds;   // every cell whose kind is set
  std::map<int, uint8_t> marks;   // every cell whose approach mark is set
  std::vector<int> tunnel_cells;  // every cell inside a tunnel
};

class SegmentPositionsTest : public ::testing::TestWithParam<placement> {};

TEST_P(SegmentPositionsTest, EntryLandsOnTheRoundedSegment) {
  const placement& c = GetParam();
  const reading_run run =
      read_texts(line_text(c.line_entries, 30000), service_text(c.service_entries));
  ASSERT_EQ(run.code(), 0) << "failure at " << run.position();
  std::map<int, uint8_t> kinds, marks;
  std::vector<int> tunnel_cells;
  for (int i = 0; i <= run.records.segment_last; ++i) {
    const track_segment& s = run.cell(i);
    if (s.kind != kNothing) kinds[i] = s.kind;
    if (s.approach_mark != 0) marks[i] = s.approach_mark;
    if (s.tunnel_type != 0) tunnel_cells.push_back(i);
  }
  EXPECT_EQ(kinds, c.kinds);
  EXPECT_EQ(marks, c.marks);
  EXPECT_EQ(tunnel_cells, c.tunnel_cells);
}

std::vector<int> cells(int first, int last) {
  std::vector<int> v;
  for (int i = first; i <= last; ++i) v.push_back(i);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    HalfPositions, SegmentPositionsTest,
    ::testing::Values(
        // 5 175 / 50 + 1 = 104.5: segment 104, marks every second cell before.
        placement{"signal_5175",
                  "",
                  "segnale, 5175, 2, 4,1,1, 0, 2, 2,1,1, 0\r\n",
                  {{104, kSignal}},
                  {{102, 81}, {100, 82}, {98, 83}, {96, 84}},
                  {}},
        // 5 225 / 50 + 1 = 105.5: segment 106.
        placement{"signal_5225",
                  "",
                  "segnale, 5225, 1, 4,1,1, 0, 0, 2,1,1, 0\r\n",
                  {{106, kSignal}},
                  {{104, 31}, {102, 32}, {100, 33}, {98, 34}},
                  {}},
        placement{"speed_board_2025",
                  "indicatori_vmax, 2025, 90,90,90, 0, , , , 0\r\n",
                  "",
                  {{42, kSpeedBoard}},
                  {},
                  {}},
        placement{"sign_board_3075",
                  "cartello indicatore, 3075, STOP\r\n",
                  "",
                  {{62, kSignBoard}},
                  {},
                  {}},
        placement{"sign_board_3025",
                  "cartello indicatore, 3025, STOP\r\n",
                  "",
                  {{62, kSignBoard}},
                  {},
                  {}},
        // 10 025 / 50 = 200.5 and 10 975 / 50 - 1 = 218.5: both to even.
        placement{
            "tunnel_10025_10975", "montagna, 10025, 10975, 1\r\n", "", {}, {}, cells(200, 218)},
        // 8 425 / 50 - 1 = 167.5: the tunnel ends on segment 168.
        placement{"tunnel_to_8425", "montagna, 8075, 8425, 2\r\n", "", {}, {}, cells(162, 168)},
        // Warning (20 075 - 1 200) / 50 + 1 = 378.5: 378; its lead-in would
        // round onto 378 as well, and ends on 377 instead.
        placement{"slowdown_20075_lead_in",
                  "",
                  "rallentamento, 20075, 30, 325, 0, 1, 30\r\n",
                  {{374, kSlowdownLeadIn},
                   {375, kSlowdownLeadIn},
                   {376, kSlowdownLeadIn},
                   {377, kSlowdownLeadIn},
                   {378, kSlowdownWarning},
                   {402, kSlowdownStart},
                   {409, kSlowdownEnd}},
                  {},
                  {}},
        // Warning 377.5 + 1 rounds to 378, the lead-in (18 825 / 50 = 376.5)
        // to 376: one free cell between them.
        placement{"slowdown_20025_lead_in",
                  "",
                  "rallentamento, 20025, 30, 325, 0, 1, 30\r\n",
                  {{373, kSlowdownLeadIn},
                   {374, kSlowdownLeadIn},
                   {375, kSlowdownLeadIn},
                   {376, kSlowdownLeadIn},
                   {378, kSlowdownWarning},
                   {402, kSlowdownStart},
                   {408, kSlowdownEnd}},
                  {},
                  {}},
        placement{"slowdown_20075_no_lead_in",
                  "",
                  "rallentamento, 20075, 120, 325, 0, 0, 0\r\n",
                  {{378, kSlowdownWarning}, {402, kSlowdownStart}, {409, kSlowdownEnd}},
                  {},
                  {}},
        // Profiles and abbattimento marks have no offset: 5 175 / 50 = 103.5.
        placement{
            "abbattimento_5175", "", "abbattimento, 5175, 270\r\n", {{104, kCodePoint}}, {}, {}},
        placement{"abbattimento_5125",
                  "",
                  "abbattimento, 5125, 0\r\n",
                  {{102, kCodePointWithoutValue}},
                  {},
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Profiles change at position / 50 rounded, with no offset.
TEST(SegmentPositionsTest, ProfilesChangeAtTheRoundedSegment) {
  const reading_run run = read_texts(line_text("pendenza, 0, 3\r\npendenza, 5175, 7\r\n", 30000),
                                     service_text("velocita, 0, 60\r\nvelocita, 5125, 100\r\n"
                                                  "aderenza, 0, 90\r\naderenza, 5175, 80\r\n"));
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(103).gradient, 103);
  EXPECT_EQ(run.cell(104).gradient, 107);
  EXPECT_EQ(run.cell(101).speed_limit, 12);
  EXPECT_EQ(run.cell(102).speed_limit, 20);
  EXPECT_EQ(run.cell(103).adhesion, 90);
  EXPECT_EQ(run.cell(104).adhesion, 80);
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// The position-snapped warning names the position to write instead: written
// there, the entry gives the very same segments and no warning.
TEST(SegmentPositions, TheSnappedWarningNamesAPositionThatLandsOnTheSameSegment) {
  struct {
    const char* name;
    std::string line;     // "@" stands for the position
    std::string service;  // likewise
    int position;
  } const cases[] = {
      {"signal", "", "segnale, @, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n", 5175},
      {"signal rounded up", "", "segnale, @, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n", 5225},
      {"signal", "", "segnale, @, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n", 11249},
      {"slowdown", "", "rallentamento, @, 30, 1000, 0, 0, 0\r\n", 20075},
      {"speed board", "indicatori_vmax, @, 90, 90, 90, 0, 90, 90, 90, 0\r\n", "", 1075},
      {"sign board", "cartello indicatore, @, BIVIO\r\n", "", 1025},
      {"abbattimento", "", "abbattimento, @, 3\r\n", 7125},
      {"gradient", "pendenza, @, 5\r\n", "", 3075},
  };
  const auto with = [](std::string text, int position) {
    const size_t at = text.find('@');
    if (at != std::string::npos) text.replace(at, 1, std::to_string(position));
    return text;
  };
  const auto snapped = [](const reading_run& run) {
    for (const reader_warning& w : run.outcome.warnings)
      if (w.id == warning_id::kPositionSnapped) return w.message;
    return std::string();
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.position));
    const reading_run first = read_texts(line_text(with(c.line, c.position), 30000),
                                         service_text(with(c.service, c.position)));
    ASSERT_EQ(first.code(), 0);
    const std::string message = snapped(first);
    const size_t at = message.find("as if written at ");
    ASSERT_NE(at, std::string::npos) << message;
    const int named = std::stoi(message.substr(at + 17));
    EXPECT_EQ(named % 50, 0) << message;
    const reading_run second =
        read_texts(line_text(with(c.line, named), 30000), service_text(with(c.service, named)));
    ASSERT_EQ(second.code(), 0);
    EXPECT_EQ(snapped(second), "");
    EXPECT_TRUE(second.records.segments == first.records.segments) << message;
  }
}

}  // namespace
}  // namespace scenario
