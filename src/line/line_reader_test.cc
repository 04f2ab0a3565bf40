#include "line/line_reader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "testing/compilation_runs.h"

namespace scenario {
namespace {

using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

const std::string kNoService = service_text("");

class BuiltInLineTest : public testing::built_in_reading {};

TEST_F(BuiltInLineTest, SizesAndGeneralSlots) {
  EXPECT_EQ(r().failure_code, 0);
  EXPECT_EQ(r().general_table[84].value_b, 54000);
  EXPECT_EQ(r().geometry_last, 61000);
  EXPECT_EQ(r().segment_last, 1220);
  EXPECT_EQ(r().segments.size(), 1221u);
  const general_entry& s85 = r().general_table[85];
  EXPECT_EQ((std::array{s85.value_a, s85.value_b, s85.value_c}), (std::array{0, 0, 1}));
  EXPECT_EQ(s85.text, "Milano_Lecco");
  const general_entry& s86 = r().general_table[86];
  EXPECT_EQ((std::array{s86.value_a, s86.value_b, s86.value_c}), (std::array{0, 52000, 4}));
  EXPECT_EQ(s86.text, "L5244");
  for (int slot = 81; slot <= 83; ++slot) {
    const general_entry& p = r().general_table[slot];
    EXPECT_EQ((std::array{p.value_a, p.value_b, p.value_c}), (std::array{0, 0, 0}));
  }
}

TEST_F(BuiltInLineTest, GradientsCoverTheListedRanges) {
  for (int i = 0; i <= 1220; ++i) {
    int expected = 100;
    if ((i >= 480 && i <= 599) || (i >= 880 && i <= 979)) expected = 105;
    if (i >= 1218) expected = 0;
    ASSERT_EQ(r().segments[i].gradient, expected) << "segment " << i;
  }
}

TEST_F(BuiltInLineTest, SpeedBoardsAndTunnels) {
  struct board {
    int cell;
    int16_t v1, v2, v3, v4;
  } boards[] = {{21, 1800, 1800, 1800, 0},
                {161, 2200, 2300, 2400, 0},
                {261, 2400, 2500, 2600, 0},
                {983, 1800, 1800, 1800, 0}};
  int board_cells = 0;
  for (const track_segment& s : r().segments) board_cells += s.kind == kSpeedBoard;
  EXPECT_EQ(board_cells, 4);
  for (const board& b : boards) {
    const track_segment& s = r().segments[b.cell];
    EXPECT_EQ(s.kind, kSpeedBoard) << b.cell;
    EXPECT_EQ((std::array{s.value1, s.value2, s.value3, s.value4}),
              (std::array{b.v1, b.v2, b.v3, b.v4}));
  }
  for (int i = 0; i <= 1220; ++i) {
    int type = 0;
    if (i >= 686 && i <= 695) type = 2;
    if ((i >= 870 && i <= 884) || (i >= 960 && i <= 979)) type = 1;
    ASSERT_EQ(r().segments[i].tunnel_type, type) << "segment " << i;
    ASSERT_NE(r().segments[i].kind, kTunnelMarker);
  }
}

TEST_F(BuiltInLineTest, RoutePlanPoints) {
  const route_plan& plan = r().track_geometry;
  struct point {
    int32_t metre;
    double x, y;
  } points[] = {{1500, 0, 1500},
                {1800, -44.82, 1795.52},
                {13900, 2192.79, 13431.40},
                {60998, -9915.58, 54040.78}};
  for (const point& p : points) {
    EXPECT_EQ(plan.tag(p.metre, 0), cell_tag::real);
    EXPECT_NEAR(plan.value(p.metre, 0), p.x, 0.005) << p.metre;
    EXPECT_NEAR(plan.value(p.metre, 1), p.y, 0.005) << p.metre;
  }
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(plan.tag(0, c), cell_tag::integer);
    EXPECT_EQ(plan.tag(1, c), cell_tag::integer);
    EXPECT_EQ(plan.tag(60999, c), cell_tag::empty);
    EXPECT_EQ(plan.tag(61000, c), cell_tag::empty);
  }
  EXPECT_EQ(plan.value(1, 1), 1.0);
  // The turning steps are not renormalised: the last step is longer.
  const double step = std::hypot(plan.value(60998, 0) - plan.value(60997, 0),
                                 plan.value(60998, 1) - plan.value(60997, 1));
  EXPECT_NEAR(step, 1.0076, 0.0001);
}

TEST(LineReaderTest, OppositeCurvesTurnWithoutStraightBetween) {
  // "curvad5" right after "curvas5": metre 13 601 already turns right.
  reading_run run = read_texts(dati_linea(), kNoService);
  const route_plan& p = run.records.track_geometry;
  auto heading_change = [&p](int32_t m) {
    const double a1 =
        std::atan2(p.value(m, 1) - p.value(m - 1, 1), p.value(m, 0) - p.value(m - 1, 0));
    const double a0 =
        std::atan2(p.value(m - 1, 1) - p.value(m - 2, 1), p.value(m - 1, 0) - p.value(m - 2, 0));
    return a1 - a0;
  };
  EXPECT_GT(heading_change(13600), 0.0019);   // still turning left
  EXPECT_LT(heading_change(13601), -0.0019);  // at once turning right
}

constexpr int32_t kUnchanged = INT32_MIN;

// A failure of the line description, with what it leaves.
struct failure_case {
  const char* name;
  std::string line;
  int32_t code;
  int32_t position;  // kUnchanged: left as it was
  bool line_deleted;
  bool service_read;  // reading went on with the train service description
  int32_t site_line;  // line of the line description the failure points at, 0 for none
};

class LineFailureTest : public ::testing::TestWithParam<failure_case> {};

TEST_P(LineFailureTest, RecordsCodePositionAndSite) {
  const failure_case& c = GetParam();
  // The service text's "vetture" shows whether it was read.
  reading_run run = read_texts(c.line, service_text("numero vetture, 7\r\n"));
  EXPECT_EQ(run.code(), c.code);
  EXPECT_EQ(run.position(), c.position == kUnchanged ? 0 : c.position);
  EXPECT_EQ(run.outcome.delete_line_description, c.line_deleted);
  EXPECT_EQ(run.records.general_table[84].value_c == 7, c.service_read);
  if (c.site_line > 0) {
    ASSERT_TRUE(run.outcome.site.has_value());
    EXPECT_EQ(run.outcome.site->text, source_kind::line_description);
    EXPECT_EQ(run.outcome.site->where.line, c.site_line);
  }
}

std::string repeat(const std::string& line, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += line;
  return out;
}

std::string many_tunnels(int count) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out +=
        "montagna, " + std::to_string(i * 1000) + ", " + std::to_string(i * 1000 + 100) + ", 1\r\n";
  return out;
}

std::string many_sign_boards(int count) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out +=
        "cartello indicatore, " + std::to_string(i * 500) + ", board " + std::to_string(i) + "\r\n";
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LineFailureTest,
    ::testing::Values(
        failure_case{"generale_last", "x\r\n[generale]\r\n", 102, kUnchanged, true, false, 1},
        failure_case{"no_generale", "a\r\nb\r\n", 102, kUnchanged, true, false, 0},
        failure_case{"empty_text", "", 25, kUnchanged, true, false, 1},
        failure_case{"too_long", line_text("", 1000001), 1, kUnchanged, true, false, 2},
        failure_case{"no_stamp_cell", line_text("", -6990), 25, kUnchanged, true, false, 2},
        failure_case{"repetition_start",
                     "[generale]\r\nripetizione segnali 4 codici, 10, 100\r\n[fine]\r\n", 3,
                     kUnchanged, true, false, 2},
        failure_case{"repetition_end",
                     "[generale]\r\nripetizione segnali 4 codici, 0, 120\r\n[fine]\r\n", 4,
                     kUnchanged, true, false, 2},
        failure_case{"repetition_codes",
                     "[generale]\r\nripetizione segnali codici, 0, 100\r\n[fine]\r\n", 5,
                     kUnchanged, true, false, 2},
        failure_case{"beyond_line", line_text("pendenza, 16950, 5\r\n"), 15, 16950, true, true, 4},
        failure_case{"curve_without_class", line_text("curvas, 100, 10\r\n"), 103, kUnchanged, true,
                     false, 4},
        failure_case{"board_on_board",
                     line_text("indicatori_vmax, 1000, 90,90,90,0,,,,0\r\n"
                               "indicatori_vmax, 1010, 90,90,90,0,,,,0\r\n"),
                     21, 1010, true, false, 5},
        failure_case{"sign_on_board",
                     line_text("indicatori_vmax, 1000, 90,90,90,0,,,,0\r\n"
                               "cartello indicatore, 1000, STOP\r\n"),
                     6, 1000, true, false, 5},
        failure_case{"negative_position", line_text("pendenza, -50, 5\r\n"), 30, -50, true, false,
                     4},
        failure_case{"curve_past_plan", line_text("curvad1, 100, 20000\r\n", 1000), 30, 100, true,
                     false, 4},
        failure_case{"tunnel_past_array", line_text("montagna, 16000, 30000, 1\r\n"), 30, 16000,
                     true, false, 4},
        failure_case{"gradient_cursor_past_array", line_text(repeat("pendenza, 16850, 1\r\n", 30)),
                     30, 16850, true, false, 0},
        failure_case{"tunnel_81", line_text(many_tunnels(81), 100000), 31, 80000, true, false, 84},
        failure_case{"sign_board_81", line_text(many_sign_boards(81), 100000), 31, 40000, true,
                     false, 84},
        failure_case{"bad_number", line_text("pendenza, 1x0, 5\r\n"), 25, kUnchanged, true, false,
                     4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineReaderTest, CurvePastTheMillionthMetreIs103) {
  reading_run run = read_texts(line_text("curvad1, 999000, 2000\r\n", 1000000), service_text(""));
  EXPECT_EQ(run.code(), 103);
  // Metre 1 000 000 was drawn, the next one not.
  EXPECT_EQ(run.records.track_geometry.tag(1000000, 0), cell_tag::real);
  EXPECT_EQ(run.records.track_geometry.tag(1000001, 0), cell_tag::empty);
}

TEST(LineReaderTest, MissingLineDescriptionIs101AndDeletesNothing) {
  scenario_records records;
  reading_outcome outcome = memorizza_dati(records, std::nullopt, service_text(""));
  EXPECT_EQ(records.failure_code, 101);
  EXPECT_FALSE(outcome.delete_line_description);
  EXPECT_FALSE(outcome.delete_train_service);
  EXPECT_FALSE(records.segments_allocated());
}

TEST(LineReaderTest, BeyondTheLineStillCompletesAndReadsTheService) {
  reading_run run = read_texts(line_text("pendenza, 500, 3\r\npendenza, 16950, 5\r\n"),
                               service_text("velocita, 0, 50\r\n"));
  EXPECT_EQ(run.code(), 15);
  EXPECT_EQ(run.cell(9).gradient, 100);
  EXPECT_EQ(run.cell(10).gradient, 103);  // completion with the pending gradient
  EXPECT_EQ(run.cell(337).gradient, 103);
  EXPECT_EQ(run.cell(338).gradient, 0);
  EXPECT_EQ(run.cell(100).speed_limit, 10);
  EXPECT_TRUE(run.outcome.delete_train_service);
}

TEST(LineReaderTest, MarkedTunnelsAndJoinedTunnels) {
  reading_run run = read_texts(line_text("montagna, 1000, 2000, 12\r\n"
                                         "montagna, 2150, 2500, 1\r\n"
                                         "montagna, 2651, 3000, 2\r\n"),
                               kNoService);
  ASSERT_EQ(run.code(), 0);
  for (int i = 20; i <= 39; ++i) {
    EXPECT_EQ(run.cell(i).tunnel_type, 2) << i;
    EXPECT_EQ(run.cell(i).kind, (i - 20 + 1) % 4 == 0 ? kTunnelMarker : kNothing) << i;
  }
  EXPECT_EQ(run.cell(43).tunnel_type, 3);  // starts 150 m after the previous end
  EXPECT_EQ(run.cell(53).tunnel_type, 2);  // 151 m after: keeps its type
  EXPECT_EQ(run.cell(40).tunnel_type, 0);
}

TEST(LineReaderTest, BoardOnTunnelMarkerReplacesIt) {
  reading_run run = read_texts(
      line_text("montagna, 1000, 2000, 12\r\nindicatori_vmax, 1100, 90,90,90,0,12,10,,3\r\n"),
      kNoService);
  ASSERT_EQ(run.code(), 0);
  const track_segment& s = run.cell(23);
  EXPECT_EQ(s.kind, kSpeedBoard);
  EXPECT_EQ((std::array{s.value1, s.value2, s.value3, s.value4}),
            (std::array<int16_t, 4>{1802, 1802, 1800, 3}));
}

TEST(LineReaderTest, SpeedBoardValuesMustFitSixteenBits) {
  reading_run run =
      read_texts(line_text("indicatori_vmax, 1000, 2000,0,0,0,0,0,0,0\r\n"), kNoService);
  EXPECT_EQ(run.code(), 25);
  EXPECT_EQ(run.cell(21).kind, kSpeedBoard);  // stored before the value that did not fit
  EXPECT_EQ(
      read_texts(line_text("indicatori_vmax, 1000, 0,0,0,3277,0,0,0,0\r\n"), kNoService).code(),
      25);
}

TEST(LineReaderTest, SignBoardsFillTheTableDownward) {
  reading_run run = read_texts(
      line_text("cartello indicatore, 1000, \"LIMITE, 30\"\r\nindicat cartello, 2000, FINE\r\n"),
      kNoService);
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.cell(21).kind, kSignBoard);
  EXPECT_EQ(run.cell(21).value1, 80);
  EXPECT_EQ(run.records.general_table[80].text, "LIMITE, 30");
  EXPECT_EQ(run.cell(41).value1, 79);
  EXPECT_EQ(run.records.general_table[79].text, "FINE");
}

TEST(LineReaderTest, KeywordCaseAndSectionRules) {
  const std::string text =
      "[generale]\r\n"
      "LUNGHEZZA PERCORSO, 10000\r\n"
      "PROGRESSIVA CHILOMETRICA UNO, 100, 200, 0\r\n"  // exact-case test: not recognised
      "pendenza, 0, 9\r\n"                             // only after the general section
      "[curve]\r\n"
      "sfondo due, 5\r\n"  // general entries only count inside the section
      "pendenza, 500, 2\r\n"
      "pendenza, 500, 3\r\n"  // same position: the cursor still moves one segment
      "pendenza, 1000, 4\r\n"
      "[fine]\r\n";
  reading_run run = read_texts(text, kNoService);
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.records.segment_last, 340);
  EXPECT_EQ(run.records.general_table[83].value_b, 0);
  EXPECT_EQ(run.records.general_table[85].value_c, 0);
  EXPECT_EQ(run.cell(9).gradient, 100);
  EXPECT_EQ(run.cell(10).gradient, 102);
  EXPECT_EQ(run.cell(11).gradient, 103);
  EXPECT_EQ(run.cell(19).gradient, 103);
  EXPECT_EQ(run.cell(20).gradient, 104);
}

TEST(LineReaderTest, DashCommentFields) {
  // Ten dash fields in a row are skipped in the general section; the entry
  // loop skips at most two, so the third dash field is examined.
  const std::string text = "[generale]\r\n" + repeat("-----\r\n", 10) +
                           "lunghezza percorso, 10000\r\n[curve]\r\n" +
                           "- -\r\n- -\r\npendenza - curva1, 0, 0, 0, 10\r\n" +
                           "-\r\n-\r\npendenza, 1000, 7\r\n" + "[fine]\r\n";
  reading_run run = read_texts(text, kNoService);
  ASSERT_EQ(run.code(), 0);
  EXPECT_EQ(run.records.segment_last, 340);
  EXPECT_EQ(run.cell(19).gradient, 100);
  EXPECT_EQ(run.cell(20).gradient, 107);
  // The third dash field held a curve keyword too: it turned right.
  EXPECT_GT(run.records.track_geometry.value(10, 0), 0.0);
}

TEST(LineReaderTest, WithoutRoutePlanCurveNumbersArePassedOver) {
  reading_run run = read_texts(line_text("curvas4, 1500, 300\r\npendenza, 1000, 4\r\n"), kNoService,
                               /*build_geometry=*/0);
  ASSERT_EQ(run.code(), 0);
  EXPECT_FALSE(run.records.track_geometry.allocated());
  EXPECT_EQ(run.cell(20).gradient, 104);
}

TEST(LineReaderTest, NoRouteLengthIsARunTimeFailure) {
  reading_run run = read_texts("[generale]\r\n[curve]\r\npendenza, 0, 1\r\n[fine]\r\n", kNoService);
  EXPECT_EQ(run.code(), 25);
  EXPECT_FALSE(run.records.segments_allocated());
  EXPECT_TRUE(run.outcome.delete_line_description);
  EXPECT_TRUE(run.outcome.delete_train_service);
}

}  // namespace
}  // namespace scenario
