// The train service description's entries at their edges: every station
// type, the first station's forced values, signals and slowdowns in all
// their variants, profiles that reach the end of the array, and values at
// the limits of the fields they are read into.  Every expected value was
// worked out by hand from the reading rules; the line is 10 000 m long
// (segment_last 340) unless a case says otherwise.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::read_service;
using testing::reading_run;

// A first station at 0 m with no extent and no marks (type 30).
const std::string kFirstStation = "stazione, 0, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, PRIMA\r\n";

struct station_case {
  int type;
  int length;
  int option_d;
  int option_e;
  int32_t value_a, value_b;
  uint8_t stored_d, stored_e;
  int stop_cell;                    // 0: no stop mark
  std::vector<int> approach_cells;  // marked 81, 82, 83, 84 in this order
};

class StationTypeTest : public ::testing::TestWithParam<station_case> {};

// The second station, at 5 000 m, of each type.
TEST_P(StationTypeTest, ExtentAndMarks) {
  const station_case& c = GetParam();
  const std::string second = "stazione, 5000, " + std::to_string(c.type) + ", " +
                             std::to_string(c.length) + ", 0, " + std::to_string(c.option_e) +
                             ", " + std::to_string(c.option_d) +
                             ", 0,0,0, 0,0,0, 0, 0,0,0, SECONDA\r\n";
  const reading_run run = read_service(kFirstStation + second);
  ASSERT_EQ(run.code(), 0);
  const general_entry& s = run.records.general_table[2];
  EXPECT_EQ(s.kind, c.type);
  EXPECT_EQ(s.value_c, 5000);
  EXPECT_EQ(s.value_a, c.value_a);
  EXPECT_EQ(s.value_b, c.value_b);
  EXPECT_EQ(s.option_d, c.stored_d);
  EXPECT_EQ(s.option_e, c.stored_e);
  std::map<int, uint8_t> kinds, marks, expected_kinds, expected_marks;
  for (int i = 0; i <= run.records.segment_last; ++i) {
    if (run.cell(i).kind != kNothing) kinds[i] = run.cell(i).kind;
    if (run.cell(i).approach_mark != 0) marks[i] = run.cell(i).approach_mark;
  }
  if (c.stop_cell != 0) {
    expected_kinds[c.stop_cell] = kStopMark;
    EXPECT_EQ(run.cell(c.stop_cell).value1, 2);
  }
  for (size_t k = 0; k < c.approach_cells.size(); ++k)
    expected_marks[c.approach_cells[k]] = static_cast<uint8_t>(81 + k);
  EXPECT_EQ(kinds, expected_kinds);
  EXPECT_EQ(marks, expected_marks);
}

INSTANTIATE_TEST_SUITE_P(
    Types, StationTypeTest,
    ::testing::Values(
        // Other types: p -+ n / 2, 50 m more with option_d; marks count back
        // from value_b / 50: the stop mark one cell before, the approach marks
        // two to five cells before.
        station_case{1, 1000, 1, 3, 4500, 5550, 1, 3, 110, {109, 108, 107, 106}},
        station_case{2, 400, 0, 3, 4800, 5200, 0, 0, 103, {102, 101, 100, 99}},
        station_case{3, 600, 5, 255, 4700, 5350, 5, 255, 106, {105, 104, 103, 102}},
        // Types 5 and 6: p - n to p + 150, no approach marks.
        station_case{5, 700, 1, 3, 4300, 5150, 0, 3, 102, {}},
        station_case{6, 300, 1, 3, 4700, 5150, 0, 0, 102, {}},
        // Types 7 and 8: p - n to p + n.
        station_case{7, 600, 1, 3, 4400, 5600, 0, 3, 111, {110, 109, 108, 107}},
        station_case{8, 200, 0, 3, 4800, 5200, 0, 0, 103, {102, 101, 100, 99}},
        station_case{24, 800, 1, 0, 4600, 5450, 1, 0, 108, {107, 106, 105, 104}},
        // From type 25 on nothing is marked.
        station_case{25, 600, 1, 3, 4700, 5350, 1, 3, 0, {}},
        station_case{255, 0, 0, 3, 5000, 5000, 0, 0, 0, {}},
        // A negative length turns the extent round.
        station_case{0, -200, 0, 3, 5100, 4900, 0, 0, 97, {96, 95, 94, 93}}));

TEST(StationTest, FirstStationStoresEveryValueAndForcesItsOptions) {
  // option_d 1 still lengthens the extent; then the first station loses
  // option_d and option_e whatever its length.
  const reading_run run = read_service(
      "stazione, 1000, 2, 1000, 7, 9, 1, 11,-12,13, 14,15,-16, 17, 1,2,3,   A  B  \r\n");
  ASSERT_EQ(run.code(), 0);
  const general_entry& s = run.records.general_table[1];
  EXPECT_EQ((std::array{s.value_a, s.value_b, s.value_c, s.time_s}),
            (std::array{500, 1550, 1000, 3723}));
  EXPECT_EQ((std::array{s.kind, s.option_a, s.option_e, s.option_d, s.option_b, s.option_c}),
            (std::array<uint8_t, 6>{2, 7, 0, 0, 13, 17}));
  EXPECT_EQ((std::array{s.number_a, s.number_b, s.number_c, s.number_d, s.number_e}),
            (std::array<int16_t, 5>{11, -12, 14, 15, -16}));
  EXPECT_EQ(s.text, "A  B");
  EXPECT_EQ(run.cell(30).kind, kStopMark);
  EXPECT_EQ(run.cell(30).value1, 1);
  EXPECT_EQ((std::array{run.cell(29).approach_mark, run.cell(28).approach_mark,
                        run.cell(27).approach_mark, run.cell(26).approach_mark}),
            (std::array<uint8_t, 4>{81, 82, 83, 84}));
}

TEST(StationTest, NearTheStartOnlyMarksAboveCellOne) {
  // Type 7 at 0 m, 200 m long: value_b 200, stop mark on cell 3; of the
  // approach marks only the first (cell 2) lies above cell 1.
  const reading_run run = read_service("stazione, 0, 7, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(3).kind, kStopMark);
  EXPECT_EQ(run.cell(2).approach_mark, 81);
  EXPECT_EQ(run.cell(1).approach_mark, 0);
  EXPECT_EQ(run.cell(1).kind, kNothing);
}

struct station_failure_case {
  const char* name;
  std::string entries;
  int32_t code;
  int32_t position;
  std::string second_text;  // what the second station's record holds
};

class StationEdgeTest : public ::testing::TestWithParam<station_failure_case> {};

TEST_P(StationEdgeTest, CodeAndPosition) {
  const station_failure_case& c = GetParam();
  const reading_run run = read_service(c.entries);
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), c.position);
  EXPECT_EQ(run.records.general_table[2].text, c.second_text);
}

const std::string kStationAt1000 =
    "stazione, 1000, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, UNO\r\n";  // ends at 1 200 m

INSTANTIATE_TEST_SUITE_P(
    Edges, StationEdgeTest,
    ::testing::Values(
        // 1 550 - 350 reaches the previous end exactly: accepted.
        station_failure_case{
            "spacing_just_enough",
            kStationAt1000 + "stazione, 1750, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, DUE\r\n", 0, 0,
            "DUE"},
        station_failure_case{
            "spacing_short_by_fifty",
            kStationAt1000 + "stazione, 1700, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, DUE\r\n", 22,
            1700, "DUE"},
        // 16 200 + 800 = 340 x 50 is still accepted; 16 250 is not.
        station_failure_case{"last_admitted_position",
                             "stazione, 16200, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n", 0, 0,
                             ""},
        station_failure_case{"first_refused_position",
                             "stazione, 16250, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n", 15,
                             16250, ""},
        station_failure_case{"negative_position",
                             "stazione, -50, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n", 30, -50,
                             ""},
        // Type 7 at 0 m, 100 m long, ends on cell 2: its stop mark would be
        // on cell 1.
        station_failure_case{"stop_mark_on_cell_one",
                             "stazione, 0, 7, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n", 24, 0,
                             ""},
        // 600 000 hours do not fit the 32-bit time; the name is stored first.
        station_failure_case{"time_beyond_32_bits",
                             kStationAt1000 + "stazione, 5000, 30, 0, 0,0,0, 0,0,0, 0,0,0, 0, "
                                              "600000,0,0, DUE\r\n",
                             25, 0, "DUE"}),
    [](const auto& info) { return std::string(info.param.name); });

struct signal_case {
  const char* name;
  std::string values;  // sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo
  std::array<int16_t, 4> stored;
  uint8_t signal_time;
  std::array<uint8_t, 4> marks;  // cells 39, 37, 35, 33
};

class SignalTest : public ::testing::TestWithParam<signal_case> {};

// A signal at 2 000 m stands on cell 41.
TEST_P(SignalTest, PacksItsValues) {
  const signal_case& c = GetParam();
  const reading_run run = read_service("segnale, 2000, " + c.values + "\r\n");
  ASSERT_EQ(run.code(), 0);
  const track_segment& s = run.cell(41);
  EXPECT_EQ(s.kind, kSignal);
  EXPECT_EQ((std::array{s.value1, s.value2, s.value3, s.value4}), c.stored);
  EXPECT_EQ(s.signal_time, c.signal_time);
  EXPECT_EQ((std::array{run.cell(39).approach_mark, run.cell(37).approach_mark,
                        run.cell(35).approach_mark, run.cell(33).approach_mark}),
            c.marks);
  for (int i : {40, 38, 36, 34, 32, 31}) EXPECT_EQ(run.cell(i).approach_mark, 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Signals, SignalTest,
    ::testing::Values(
        signal_case{"short_time_raised",
                    "2, 4,1,1, 0, 2, 2,1,1, 50",
                    {42, 11, 11, 8},
                    101,
                    {81, 82, 83, 84}},
        signal_case{"no_time", "2, 4,1,1, 0, 2, 2,1,1, 0", {42, 11, 11, 8}, 0, {81, 82, 83, 84}},
        signal_case{"time_one", "2, 0,0,0, 0, 0, 0,0,0, 1", {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
        signal_case{
            "time_hundred", "2, 0,0,0, 0, 0, 0,0,0, 100", {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
        signal_case{"time_above_hundred",
                    "2, 0,0,0, 0, 0, 0,0,0, 101",
                    {0, 0, 0, 6},
                    101,
                    {61, 62, 63, 64}},
        // 300 keeps its low 8 bits, 44; -1 stays -1, stored as 255.
        signal_case{"time_wraps", "2, 0,0,0, 0, 0, 0,0,0, 300", {0, 0, 0, 6}, 44, {61, 62, 63, 64}},
        signal_case{
            "negative_time", "2, 0,0,0, 0, 0, 0,0,0, -1", {0, 0, 0, 6}, 255, {61, 62, 63, 64}},
        signal_case{"time_only_with_sx_two",
                    "3, 4,1,1, 0, 2, 2,1,1, 50",
                    {42, 11, 11, 11},
                    0,
                    {111, 112, 113, 114}},
        // (9 x 3 + 5) x 10 + n = 321.. keeps 65..; 4 000 x 10 + 1 keeps
        // -25 535; rapp -1 gives -10.
        signal_case{
            "values_wrap", "9, 4000,0,0, -1, 5, 1,0,0, 0", {-25535, 0, 0, 22}, 0, {65, 66, 67, 68}},
        signal_case{
            "negative_side", "-1, 0,0,0, 0, 0, 0,0,0, 50", {0, 0, 0, -3}, 0, {227, 228, 229, 230}}),
    [](const auto& info) { return std::string(info.param.name); });

// One cell of a slowdown: kind, value1..value3.
using slowdown_cells = std::map<int, std::array<int16_t, 4>>;

struct slowdown_case {
  const char* name;
  std::string values;  // x, v, l, f_tt, f_ta, d_v
  slowdown_cells cells;
};

class SlowdownTest : public ::testing::TestWithParam<slowdown_case> {};

TEST_P(SlowdownTest, MarksItsCells) {
  const slowdown_case& c = GetParam();
  const reading_run run = read_service("rallentamento, " + c.values + "\r\n");
  ASSERT_EQ(run.code(), 0);
  slowdown_cells cells;
  for (int i = 0; i <= run.records.segment_last; ++i) {
    const track_segment& s = run.cell(i);
    if (s.kind != kNothing) cells[i] = {s.kind, s.value1, s.value2, s.value3};
  }
  EXPECT_EQ(cells, c.cells);
}

INSTANTIATE_TEST_SUITE_P(
    Slowdowns, SlowdownTest,
    ::testing::Values(
        // Warning (5 000 - 1 200) / 50 + 1 = 77, start 101, end 111, lead-in
        // from 76 down.
        slowdown_case{"lead_in_without_d_v",
                      "5000, 40, 500, 7, 1, 0",
                      {{73, {5, 4, 0, 0}},
                       {74, {5, 3, 0, 0}},
                       {75, {5, 2, 0, 0}},
                       {76, {5, 1, 0, 0}},
                       {77, {4, 40, 0, 0}},
                       {101, {3, 40, 0, 7}},
                       {111, {2, 40, 0, 7}}}},
        slowdown_case{"lead_in_with_d_v",
                      "5000, 40, 500, 7, 1, 25",
                      {{73, {5, 4, 4, 0}},
                       {74, {5, 3, 3, 0}},
                       {75, {5, 2, 2, 0}},
                       {76, {5, 1, 1, 0}},
                       {77, {4, 40, 25, 0}},
                       {101, {3, 40, 25, 7}},
                       {111, {2, 40, 25, 7}}}},
        slowdown_case{"no_lead_in",
                      "5000, 40, 500, 7, 0, 25",
                      {{77, {4, 40, 25, 0}}, {101, {3, 40, 25, 7}}, {111, {2, 40, 25, 7}}}},
        // 1 501 m is past 1 500: warning 7.02 to 7, lead-in 6.02 to 6 down to 3.
        slowdown_case{"first_start_with_a_warning",
                      "1501, 30, 100, 0, 1, 0",
                      {{3, {5, 4, 0, 0}},
                       {4, {5, 3, 0, 0}},
                       {5, {5, 2, 0, 0}},
                       {6, {5, 1, 0, 0}},
                       {7, {4, 30, 0, 0}},
                       {31, {3, 30, 0, 0}},
                       {33, {2, 30, 0, 0}}}},
        slowdown_case{"no_warning_up_to_1500",
                      "1500, 30, 100, 0, 1, 9",
                      {{31, {3, 30, 9, 0}}, {33, {2, 30, 9, 0}}}},
        // Start and end on one cell: the start is written last.
        slowdown_case{
            "zero_length", "5000, 40, 0, 7, 0, 0", {{77, {4, 40, 0, 0}}, {101, {3, 40, 0, 7}}}},
        slowdown_case{"twenty_metres_one_cell",
                      "5000, 40, 20, 7, 0, 0",
                      {{77, {4, 40, 0, 0}}, {101, {3, 40, 0, 7}}}},
        // 5 025 / 50 + 1 = 101.5: to 102.
        slowdown_case{"twenty_five_metres_two_cells",
                      "5000, 40, 25, 7, 0, 0",
                      {{77, {4, 40, 0, 0}}, {101, {3, 40, 0, 7}}, {102, {2, 40, 0, 7}}}},
        slowdown_case{"values_keep_low_bits",
                      "5000, 70000, 500, -1, 0, 65537",
                      {{77, {4, 4464, 1, 0}}, {101, {3, 4464, 1, -1}}, {111, {2, 4464, 1, -1}}}},
        slowdown_case{"end_before_start",
                      "5000, 40, -1000, 0, 0, 0",
                      {{77, {4, 40, 0, 0}}, {81, {2, 40, 0, 0}}, {101, {3, 40, 0, 0}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileTest, SpeedCursorStopsAtTheLastCell) {
  // Cells 0..337 take 50 km/h; each repeated entry at 16 900 m sets one
  // more cell until the cursor stands on cell 340, which only the
  // completion sets, with the last speed.
  const reading_run run = read_service(
      "velocita, 0, 50\r\nvelocita, 16900, 60\r\nvelocita, 16900, 70\r\n"
      "velocita, 16900, 80\r\nvelocita, 16900, 90\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(0).speed_limit, 10);
  EXPECT_EQ(run.cell(337).speed_limit, 10);
  EXPECT_EQ(run.cell(338).speed_limit, 12);
  EXPECT_EQ(run.cell(339).speed_limit, 14);
  EXPECT_EQ(run.cell(340).speed_limit, 18);
}

TEST(ProfileTest, AdhesionCursorRunsPastTheArray) {
  const std::string entries =
      "aderenza, 0, 50\r\naderenza, 16900, 60\r\naderenza, 16900, 70\r\n"
      "aderenza, 16900, 80\r\naderenza, 16900, 90\r\n";
  // Cells 338, 339, 340 take 60, 70, 80; the completion finds the cursor
  // on 341.
  const reading_run completion = read_service(entries);
  EXPECT_EQ(completion.code(), 25);
  EXPECT_EQ(completion.position(), 0);
  EXPECT_EQ(completion.cell(340).adhesion, 80);
  // One more entry reaches for cell 341 itself.
  const reading_run entry = read_service(entries + "aderenza, 16900, 100\r\n");
  EXPECT_EQ(entry.code(), 30);
  EXPECT_EQ(entry.position(), 16900);
}

struct speed_case {
  const char* name;
  std::string entries;
  int32_t code;
  std::vector<std::pair<int, int>> cells;  // cell, speed_limit
};

class SpeedProfileTest : public ::testing::TestWithParam<speed_case> {};

TEST_P(SpeedProfileTest, StepsOfFiveKmh) {
  const speed_case& c = GetParam();
  const reading_run run = read_service(c.entries);
  EXPECT_EQ(run.code(), c.code);
  for (const auto& [cell, speed] : c.cells) EXPECT_EQ(run.cell(cell).speed_limit, speed) << cell;
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, SpeedProfileTest,
    ::testing::Values(
        // -2 / 5 = -0.4 rounds to 0; -3 / 5 = -0.6 to -1, below the field.
        speed_case{"small_negative_rounds_to_zero", "velocita, 0, -2\r\n", 0, {{0, 0}, {337, 0}}},
        speed_case{"negative_step", "velocita, 0, -3\r\n", 25, {}},
        speed_case{"highest_step", "velocita, 0, 1277\r\n", 0, {{0, 255}, {337, 255}}},
        speed_case{"step_past_the_field", "velocita, 0, 1278\r\n", 25, {}},
        // No speed is in force before the first entry.
        speed_case{"late_first_entry", "velocita, 500, 50\r\n", 0, {{9, 0}, {10, 10}, {337, 10}}},
        // 25 m is cell 0.5, rounded to 0: nothing is set there.
        speed_case{"half_positions",
                   "velocita, 0, 50\r\nvelocita, 25, 60\r\nvelocita, 75, 70\r\n",
                   0,
                   {{0, 12}, {1, 12}, {2, 14}, {337, 14}, {338, 0}}},
        // A field with both keywords is a speed entry, then an adhesion entry.
        speed_case{"speed_and_adhesion_in_one_field",
                   "velocita aderenza, 500, 50, 1000, 60\r\n",
                   0,
                   {{9, 0}, {10, 10}, {337, 10}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileTest, AdhesionOfTheSecondKeywordInOneField) {
  const reading_run run = read_service("velocita aderenza, 500, 50, 1000, 60\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(19).adhesion, 0);
  EXPECT_EQ(run.cell(20).adhesion, 60);
  EXPECT_EQ(run.cell(337).adhesion, 60);
}

TEST(AbbattimentoTest, ValuesAndHalfPositions) {
  const reading_run run = read_service("abbattimento, 25, 70000\r\nabbattimento, 75, -5\r\n");
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(0).kind, kCodePoint);              // 0.5 to 0
  EXPECT_EQ(run.cell(0).value1, 4464);                  // low 16 bits of 70 000
  EXPECT_EQ(run.cell(2).kind, kCodePointWithoutValue);  // 1.5 to 2
  EXPECT_EQ(run.cell(2).value1, 0);
  EXPECT_EQ(run.cell(1).kind, kNothing);
  // 2.5 to 2, already taken.
  const reading_run taken = read_service("abbattimento, 75, -5\r\nabbattimento, 125, 1\r\n");
  EXPECT_EQ(taken.code(), 7);
  EXPECT_EQ(taken.position(), 125);
}

struct make_up_case {
  const char* name;
  std::string entries;
  int32_t code;
  std::array<int32_t, 2> slot84;  // value_a, value_c
  std::array<int16_t, 4> slot86;  // number_a, number_c, number_d, number_e
};

class TrainMakeUpTest : public ::testing::TestWithParam<make_up_case> {};

TEST_P(TrainMakeUpTest, ValuesAtTheLimitsOfTheirFields) {
  const make_up_case& c = GetParam();
  const reading_run run = read_service(c.entries);
  EXPECT_EQ(run.code(), c.code);
  const general_entry& s84 = run.records.general_table[84];
  const general_entry& s86 = run.records.general_table[86];
  EXPECT_EQ((std::array{s84.value_a, s84.value_c}), c.slot84);
  EXPECT_EQ((std::array{s86.number_a, s86.number_c, s86.number_d, s86.number_e}), c.slot86);
}

INSTANTIATE_TEST_SUITE_P(
    MakeUp, TrainMakeUpTest,
    ::testing::Values(
        make_up_case{"clock_extremes",
                     "orologio, -1   -32768\t32767\r\n",
                     0,
                     {0, 0},
                     {0, -1, -32768, 32767}},
        // The hours are stored before the minutes fail to fit.
        make_up_case{"clock_minutes_too_wide", "orologio, 1 70000 3\r\n", 25, {0, 0}, {0, 1, 0, 0}},
        make_up_case{"sand_lowest", "sabbia, -32768\r\n", 0, {0, 0}, {-32768, 0, 0, 0}},
        make_up_case{"sand_too_wide", "sabbia, 32768\r\n", 25, {0, 0}, {0, 0, 0, 0}},
        make_up_case{
            "both_train_keywords", "massa frenata vetture, 5, -6\r\n", 0, {5, -6}, {0, 0, 0, 0}},
        make_up_case{"braked_mass_too_wide",
                     "percentuale massa frenata, 2147483648\r\n",
                     25,
                     {0, 0},
                     {0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario
