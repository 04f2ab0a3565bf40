// The line description's entries at their edges: route lengths at the ends
// of what the arrays allow, gradients that wrap, every curve class both
// ways, tunnel types and joins, speed boards at the edges of 16 bits and
// sign boards with texts too long for their slot.  Every expected value was
// worked out by hand from the reading rules.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

const std::string kNoService = service_text("");

// Cells first..last all hold `value` in the field the test looks at.
struct cell_range {
  int first;
  int last;
  int value;
};

template <typename Field>
void expect_ranges(const reading_run& run, Field field, const std::vector<cell_range>& ranges) {
  for (const cell_range& r : ranges)
    for (int i = r.first; i <= r.last; ++i) ASSERT_EQ(field(run.cell(i)), r.value) << "cell " << i;
}

struct length_case {
  const char* name;
  int32_t length;
  int32_t code;
  int32_t geometry_last;  // 0: nothing allocated
  int32_t segment_last;
};

class RouteLengthTest : public ::testing::TestWithParam<length_case> {};

TEST_P(RouteLengthTest, SizesBothArrays) {
  const length_case& c = GetParam();
  const reading_run run =
      read_texts("[generale]\r\nlunghezza percorso, " + std::to_string(c.length) + "\r\n[fine]\r\n",
                 kNoService);
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), 0);
  EXPECT_EQ(run.records.general_table[84].value_b, c.length);  // stored before any test
  if (c.geometry_last == 0) {
    EXPECT_FALSE(run.records.segments_allocated());
    EXPECT_FALSE(run.records.track_geometry.allocated());
    return;
  }
  ASSERT_EQ(run.records.segment_last, c.segment_last);
  EXPECT_EQ(run.records.geometry_last, c.geometry_last);
  EXPECT_EQ(run.records.segments.size(), static_cast<size_t>(c.segment_last) + 1);
  const route_plan& plan = run.records.track_geometry;
  EXPECT_EQ(plan.last(), c.geometry_last);
  EXPECT_EQ(plan.tag(c.geometry_last - 2, 1), cell_tag::real);
  EXPECT_EQ(plan.value(c.geometry_last - 2, 1), c.geometry_last - 2);  // straight along +y
  EXPECT_EQ(plan.tag(c.geometry_last - 1, 1), cell_tag::empty);
  EXPECT_EQ(plan.tag(c.geometry_last, 1), cell_tag::empty);
  // The gradient completion writes at least cell 0 and stops three short.
  EXPECT_EQ(run.cell(0).gradient, 100);
  EXPECT_EQ(run.cell(c.segment_last).gradient, 0);
  if (c.segment_last >= 3) {
    EXPECT_EQ(run.cell(c.segment_last - 3).gradient, 100);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, RouteLengthTest,
    ::testing::Values(length_case{"zero", 0, 0, 7000, 140},
                      length_case{"one", 1, 0, 7001, 140},                 // 140.02
                      length_case{"half_to_even_down", 25, 0, 7025, 140},  // 140.5
                      length_case{"half_to_even_up", 75, 0, 7075, 142},    // 141.5
                      length_case{"longest", 1000000, 0, 1007000, 20140},
                      length_case{"shortest_with_a_stamp_cell", -6974, 0, 26, 1},  // 0.52
                      length_case{"no_stamp_cell", -6975, 25, 0, 0},               // 0.5 to 0
                      length_case{"lowest_i32", INT32_MIN, 25, 0, 0},
                      length_case{"too_long", 1000001, 1, 0, 0},
                      length_case{"highest_i32", INT32_MAX, 1, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct gradient_case {
  const char* name;
  std::string entries;
  std::vector<cell_range> gradients;
};

class GradientTest : public ::testing::TestWithParam<gradient_case> {};

TEST_P(GradientTest, CellsCarryTheGradientInForce) {
  const gradient_case& c = GetParam();
  const reading_run run = read_texts(line_text(c.entries), kNoService);
  ASSERT_EQ(run.code(), 0);
  expect_ranges(
      run, [](const track_segment& s) { return s.gradient; }, c.gradients);
}

// A 10 000 m line: segment_last 340, the completion stops at cell 337.
INSTANTIATE_TEST_SUITE_P(
    Gradients, GradientTest,
    ::testing::Values(gradient_case{"none", "", {{0, 337, 100}, {338, 340, 0}}},
                      // -5 + 100 = 95; 200 + 100 = 300 keeps 44; -101 + 100 = -1 keeps 255.
                      // 175 m is 3.5 cells (to 4), 225 m 4.5 (to 4): the cursor is already
                      // at 4, and still writes one cell.
                      gradient_case{
                          "negative_and_wrapping",
                          "pendenza, 0, -5\r\npendenza, 100, 200\r\npendenza, 175, -101\r\n"
                          "pendenza, 225, 7\r\n",
                          {{0, 1, 95}, {2, 3, 44}, {4, 4, 255}, {5, 337, 107}, {338, 340, 0}}},
                      // 25 m rounds to cell 0: nothing is written, the gradient changes.
                      gradient_case{"half_positions",
                                    "pendenza, 25, 3\r\npendenza, 75, 4\r\n",
                                    {{0, 1, 103}, {2, 337, 104}, {338, 340, 0}}},
                      // The last position the bound test admits: 16 900 + 100 = 340 x 50.
                      gradient_case{"last_admitted_position",
                                    "pendenza, 16900, 9\r\n",
                                    {{0, 337, 100}, {338, 338, 109}, {339, 340, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct curve_case {
  const char* keyword;
  int32_t code;
  double k;  // radians per metre, left negative
};

class CurveClassTest : public ::testing::TestWithParam<curve_case> {};

// The plan runs straight along +y up to metre 1000 (x = 0, y = m exactly),
// so the first turning metre is x = 0 + 0 + k x 1, y = 1000 + 1 - k x 0.
TEST_P(CurveClassTest, FirstTurningMetre) {
  const curve_case& c = GetParam();
  const reading_run run =
      read_texts(line_text(std::string(c.keyword) + ", 1000, 10\r\n"), kNoService);
  EXPECT_EQ(run.code(), c.code);
  const route_plan& plan = run.records.track_geometry;
  if (c.code != 0) {
    EXPECT_EQ(run.position(), 0);
    EXPECT_TRUE(run.outcome.delete_line_description);
    EXPECT_FALSE(run.outcome.delete_train_service);
    EXPECT_EQ(plan.tag(2, 0), cell_tag::empty);  // the reading ended: no completion
    return;
  }
  EXPECT_EQ(plan.value(1000, 0), 0.0);
  EXPECT_EQ(plan.value(1001, 0), c.k);
  EXPECT_EQ(plan.value(1001, 1), 1001.0);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, CurveClassTest,
    ::testing::Values(curve_case{"curvad1", 0, 0.0001}, curve_case{"curvas1", 0, -0.0001},
                      curve_case{"curvas2", 0, -0.0002}, curve_case{"curvad2", 0, 0.0002},
                      curve_case{"curvad3", 0, 0.0004}, curve_case{"curvas3", 0, -0.0004},
                      curve_case{"curvas4", 0, -0.001}, curve_case{"curvad4", 0, 0.001},
                      curve_case{"curvad5", 0, 0.002}, curve_case{"curvas5", 0, -0.002},
                      curve_case{"curvas6", 0, -0.003}, curve_case{"curvad6", 0, 0.003},
                      // Digits are searched 1 to 6, not from the left.
                      curve_case{"curvad62", 0, 0.0002},
                      // Case is folded for the keyword and for the side letter.
                      curve_case{"CURVAS3", 0, -0.0004},
                      // Any "s" in the field turns left.
                      curve_case{"curvad 5 sud", 0, -0.002}, curve_case{"curvad7", 103, 0},
                      curve_case{"curvad0", 103, 0}, curve_case{"curva", 103, 0}),
    [](const ::testing::TestParamInfo<curve_case>& info) {
      std::string name;
      for (char ch : std::string(info.param.keyword)) name += std::isalnum(ch) ? ch : '_';
      return name + "_" + std::to_string(info.index);
    });

// x step of the plan at metre m.
double step_x(const route_plan& plan, int32_t m) { return plan.value(m, 0) - plan.value(m - 1, 0); }

TEST(CurveOverlapTest, ACurveBehindTheCursorOnlyTurnsAndOneEndingBehindItDrawsNothing) {
  // Right 1001..1010; the left curve starting at 1005 turns 1011..1015 at
  // once; the third ends at 950, behind the cursor, and draws nothing.
  const reading_run run = read_texts(
      line_text("curvad1, 1000, 10\r\ncurvas1, 1005, 10\r\ncurvad6, 900, 50\r\n"), kNoService);
  ASSERT_EQ(run.code(), 0);
  const route_plan& plan = run.records.track_geometry;
  // Each turning step adds about k to the x step (the y step is about 1).
  EXPECT_NEAR(step_x(plan, 1010) - step_x(plan, 1009), 0.0001, 1e-9);
  EXPECT_NEAR(step_x(plan, 1011) - step_x(plan, 1010), -0.0001, 1e-9);
  EXPECT_NEAR(step_x(plan, 1015) - step_x(plan, 1014), -0.0001, 1e-9);
  EXPECT_NEAR(step_x(plan, 1016) - step_x(plan, 1015), 0.0, 1e-9);
  // Ten metres right then five left leave an x step of five curvatures.
  EXPECT_NEAR(step_x(plan, 1016), 0.0005, 1e-9);
  EXPECT_NEAR(step_x(plan, 16998), 0.0005, 1e-9);
}

struct tunnel_case {
  const char* name;
  std::string entries;
  std::vector<cell_range> types;  // tunnel_type
  std::vector<int> markers;       // every cell of kind 11
};

class TunnelTest : public ::testing::TestWithParam<tunnel_case> {};

TEST_P(TunnelTest, TypesAndMarkers) {
  const tunnel_case& c = GetParam();
  const reading_run run = read_texts(line_text(c.entries), kNoService);
  ASSERT_EQ(run.code(), 0);
  std::vector<int> markers;
  int covered = 0;
  for (int i = 0; i <= run.records.segment_last; ++i) {
    if (run.cell(i).kind == kTunnelMarker) markers.push_back(i);
    covered += run.cell(i).tunnel_type != 0;
  }
  EXPECT_EQ(markers, c.markers);
  int expected_covered = 0;
  for (const cell_range& r : c.types) expected_covered += r.last - r.first + 1;
  EXPECT_EQ(covered, expected_covered);
  expect_ranges(
      run, [](const track_segment& s) { return s.tunnel_type; }, c.types);
}

INSTANTIATE_TEST_SUITE_P(
    Tunnels, TunnelTest,
    ::testing::Values(
        // 300 is above 10: 290 with markers, stored as its low 8 bits, 34.
        tunnel_case{"wide_type_keeps_low_bits",
                    "montagna, 1000, 2000, 300\r\n",
                    {{20, 39, 34}},
                    {23, 27, 31, 35, 39}},
        tunnel_case{"negative_type", "montagna, 1000, 2000, -3\r\n", {{20, 39, 253}}, {}},
        tunnel_case{"type_ten_unmarked", "montagna, 1000, 2000, 10\r\n", {{20, 39, 10}}, {}},
        tunnel_case{"type_eleven_marked",
                    "montagna, 1000, 2000, 11\r\n",
                    {{20, 39, 1}},
                    {23, 27, 31, 35, 39}},
        // A tunnel ending before it starts writes nothing but still counts
        // as the previous tunnel: the next one, 100 m after its end, joins.
        tunnel_case{"backwards_tunnel_still_joins",
                    "montagna, 3000, 2000, 1\r\nmontagna, 2100, 2500, 2\r\n",
                    {{42, 49, 3}},
                    {}},
        // An overlapping tunnel joins as type 3 over the first one's cells.
        tunnel_case{"overlap_joins",
                    "montagna, 1000, 2000, 1\r\nmontagna, 1500, 2500, 2\r\n",
                    {{20, 29, 1}, {30, 49, 3}},
                    {}},
        // Joined and marked: 13 gives 3 with markers; 151 m after the
        // previous end a marked 22 keeps 12.  Markers count from each
        // tunnel's own first cell.
        tunnel_case{"joined_marked_and_apart",
                    "montagna, 1000, 2000, 1\r\nmontagna, 2150, 3000, 13\r\n"
                    "montagna, 3151, 4000, 22\r\n",
                    {{20, 39, 1}, {43, 59, 3}, {63, 79, 12}},
                    {46, 50, 54, 58, 66, 70, 74, 78}},
        // Markers go only where nothing stands: the board on cell 23 stays.
        tunnel_case{"marker_never_replaces_a_board",
                    "indicatori_vmax, 1100, 1,1,1,0,,,,0\r\nmontagna, 1000, 2000, 12\r\n",
                    {{20, 39, 2}},
                    {27, 31, 35, 39}}),
    [](const auto& info) { return std::string(info.param.name); });

struct board_case {
  const char* name;
  std::string values;  // the eight values after the position
  int32_t code;
  uint8_t kind;
  std::array<int16_t, 4> stored;  // value1..value4 of cell 61
};

class SpeedBoardTest : public ::testing::TestWithParam<board_case> {};

// A board at 3 000 m stands on cell 61.
TEST_P(SpeedBoardTest, PacksSpeedsAndStripes) {
  const board_case& c = GetParam();
  const reading_run run =
      read_texts(line_text("indicatori_vmax, 3000, " + c.values + "\r\n"), kNoService);
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), 0);
  const track_segment& s = run.cell(61);
  EXPECT_EQ(s.kind, c.kind);
  EXPECT_EQ((std::array{s.value1, s.value2, s.value3, s.value4}), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, SpeedBoardTest,
    ::testing::Values(
        // 12 / 5 = 2.4, 13 / 5 = 2.6, 17 / 5 = 3.4; 2 x 10 + 3.
        board_case{"both_sides_and_stripes",
                   "60, 0, 0, 2, 12, 13, 17, 3",
                   0,
                   kSpeedBoard,
                   {1202, 3, 3, 23}},
        // 4 / 5 = 0.8 to 1, 3 / 5 = 0.6 to 1, 2 / 5 = 0.4 to 0; -1 x 20.
        board_case{"negative_left_speeds",
                   "-1, -1, -1, 0, 4, 3, 2, 0",
                   0,
                   kSpeedBoard,
                   {-19, -19, -20, 0}},
        board_case{"negative_stripes", "0,0,0, -3, 0,0,0, 5", 0, kSpeedBoard, {0, 0, 0, -25}},
        board_case{"stripes_at_the_top", "0,0,0, 3276, 0,0,0, 7", 0, kSpeedBoard, {0, 0, 0, 32767}},
        // 32 760 + 8 does not fit: the board and its speeds stay, value4 not.
        board_case{"stripes_sum_overflows", "0,0,0, 3276, 0,0,0, 8", 25, kSpeedBoard, {0, 0, 0, 0}},
        board_case{
            "stripes_product_overflows", "0,0,0, -3277, 0,0,0, 0", 25, kSpeedBoard, {0, 0, 0, 0}},
        // A stripe count that is no 16-bit value fails before anything is
        // written.
        board_case{
            "stripe_count_beyond_16_bits", "0,0,0, 0, 0,0,0, 32768", 25, kNothing, {0, 0, 0, 0}},
        // 1638 x 20 = 32 760; 37 / 5 = 7.4 fits, 38 / 5 = 7.6 does not.
        board_case{
            "speed_at_the_top", "1638, 0, 0, 0, 37, 0, 0, 0", 0, kSpeedBoard, {32767, 0, 0, 0}},
        board_case{
            "speed_past_the_top", "1638, 0, 0, 0, 38, 0, 0, 0", 25, kSpeedBoard, {0, 0, 0, 0}},
        // value1 is stored before value2 fails.
        board_case{
            "second_speed_fails", "1, 2000, 0, 0, 0, 0, 0, 0", 25, kSpeedBoard, {20, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpeedBoardTest, StripeWidthIsCheckedBeforeTheCell) {
  const reading_run run = read_texts(line_text("indicatori_vmax, 3000, 1,1,1,0,0,0,0,0\r\n"
                                               "indicatori_vmax, 3000, 0,0,0,0,0,0,0,40000\r\n"),
                                     kNoService);
  EXPECT_EQ(run.code(), 25);
  EXPECT_EQ(run.position(), 0);
  EXPECT_EQ(run.cell(61).value1, 20);
}

std::string sign_boards(int count) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += "cartello indicatore, " + std::to_string(i * 500) + ", T\r\n";
  return out;
}

struct long_text_case {
  const char* name;
  std::string before;  // entries ahead of the board with the long text
  int32_t position;    // of that board
  int32_t length;      // of the line
  int32_t code;
  int32_t failure_position;
};

class LongSignTextTest : public ::testing::TestWithParam<long_text_case> {};

// A board text is held as read; only its slot, whose byte count is 16 bits,
// limits it.  So the board's own tests come first, and the cell is marked
// before the text fails to fit.
TEST_P(LongSignTextTest, FailsWhereTheTextIsStored) {
  const long_text_case& c = GetParam();
  const std::string board = "cartello indicatore, " + std::to_string(c.position) + ", " +
                            std::string(65536, 'X') + "\r\n";
  const reading_run run = read_texts(line_text(c.before + board, c.length), kNoService);
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), c.failure_position);
  if (c.code != 25) return;
  const track_segment& s = run.cell(c.position / 50 + 1);
  EXPECT_EQ(s.kind, kSignBoard);
  EXPECT_EQ(s.value1, 80);
  EXPECT_TRUE(run.records.general_table[80].text.empty());
}

INSTANTIATE_TEST_SUITE_P(
    SignBoards, LongSignTextTest,
    ::testing::Values(long_text_case{"free_cell", "", 1000, 10000, 25, 0},
                      long_text_case{"beyond_the_line", "", 16950, 10000, 15, 16950},
                      long_text_case{"taken_cell", "indicatori_vmax, 1000, 1,1,1,0,,,,0\r\n", 1000,
                                     10000, 6, 1000},
                      long_text_case{"eighty_first_board", sign_boards(80), 40000, 100000, 31,
                                     40000}),
    [](const auto& info) { return std::string(info.param.name); });

// Tunnels 100 m apart, each 50 m long: the n-th covers segment 2n.
std::string short_tunnels(int count) {
  std::string text;
  for (int n = 1; n <= count; ++n)
    text +=
        "montagna, " + std::to_string(100 * n) + ", " + std::to_string(100 * n + 50) + ", 1\r\n";
  return text;
}

// The tunnel lists hold eighty tunnels; the next one is refused before it
// enters them, so its segment keeps no tunnel type, and it is not joined.
TEST(TunnelCapacityTest, EightyFirstTunnelIsRefusedWithItsStart) {
  const reading_run eighty = read_texts(line_text(short_tunnels(80)), kNoService);
  EXPECT_EQ(eighty.code(), 0);
  EXPECT_EQ(eighty.cell(160).tunnel_type, 3);  // joined to the one 50 m before it

  const reading_run run = read_texts(line_text(short_tunnels(81)), kNoService);
  EXPECT_EQ(run.code(), 31);
  EXPECT_EQ(run.position(), 8100);
  EXPECT_EQ(run.cell(160).tunnel_type, 3);
  EXPECT_EQ(run.cell(162).tunnel_type, 0);
}

struct general_case {
  const char* name;
  std::string entry;
  int slot;
  std::array<int32_t, 3> values;  // value_a, value_b, value_c
};

class GeneralSectionTest : public ::testing::TestWithParam<general_case> {};

TEST_P(GeneralSectionTest, StoresIntoItsSlot) {
  const general_case& c = GetParam();
  const reading_run run = read_texts(
      "[generale]\r\nlunghezza percorso, 10000\r\n" + c.entry + "\r\n[curve]\r\n[fine]\r\n",
      kNoService);
  ASSERT_EQ(run.code(), 0);
  const general_entry& e = run.records.general_table[static_cast<size_t>(c.slot)];
  EXPECT_EQ((std::array{e.value_a, e.value_b, e.value_c}), c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, GeneralSectionTest,
    ::testing::Values(
        // Every scenery test reads its own value, uno, due, tre in turn.
        general_case{"all_sceneries", "sfondo uno due tre, 1, 2, 3", 85, {1, 3, 2}},
        general_case{"scenery_in_capitals", "Sfondo uno, 5", 85, {0, 0, 0}},
        general_case{"nine_codes", "ripetizione segnali 9 codici, 100, 200", 86, {100, 200, 9}},
        general_case{"no_end_no_codes", "ripetizione segnali 9 codici, 100, 0", 86, {100, 0, 0}},
        general_case{"four_found_before_nine", "ripetizione segnali 94, 50, 100", 86, {50, 100, 4}},
        general_case{"negative_start", "ripetizione segnali 4 codici, -50, 100", 86, {-50, 100, 4}},
        general_case{"repetition_in_capitals", "RIPETIZIONE SEGNALI 4, 50, 100", 86, {0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario
