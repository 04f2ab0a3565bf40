#include "codes/track_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace scenario {
namespace {

track_segment cell(uint8_t kind, int16_t value1 = 0) {
  track_segment s;
  s.kind = kind;
  s.value1 = value1;
  return s;
}

void add_points(std::vector<track_segment>& cells, const std::vector<int32_t>& points) {
  for (int32_t c : points) {
    cells.at(static_cast<size_t>(c)).kind = kCodePoint;
    cells.at(static_cast<size_t>(c)).value1 = 180;
  }
}

// A segment array built by hand.  Every cell carries line properties so that
// a pass writing more than kind and value1 shows up in the comparison.
struct test_line {
  explicit test_line(int32_t last, size_t extra_cells = 0) {
    track_segment plain;
    plain.speed_limit = 16;
    plain.gradient = 103;
    plain.adhesion = 7;
    records.segment_last = last;
    records.segments.assign(static_cast<size_t>(last) + 1 + extra_cells, plain);
  }

  test_line& put(int32_t c, track_segment s) {
    track_segment& target = records.segments.at(static_cast<size_t>(c));
    target.kind = s.kind;
    target.value1 = s.value1;
    return *this;
  }
  test_line& put(int32_t c, uint8_t kind, int16_t value1 = 0) { return put(c, cell(kind, value1)); }

  // A slowdown as the readers leave it: warning, start and end with its speed.
  test_line& slowdown(int32_t warning, int32_t start, int32_t end, int16_t speed) {
    put(warning, kSlowdownWarning, speed);
    put(start, kSlowdownStart, speed);
    return put(end, kSlowdownEnd, speed);
  }

  // The array as it stands, with code points of code 180 added at `points`.
  std::vector<track_segment> with_points(const std::vector<int32_t>& points) const {
    std::vector<track_segment> expected = records.segments;
    add_points(expected, points);
    return expected;
  }

  scenario_records records;
};

std::string describe(const track_segment& s) {
  std::ostringstream out;
  out << "kind " << int{s.kind} << " value1 " << s.value1 << " value2 " << s.value2 << " tunnel "
      << int{s.tunnel_type} << " speed " << int{s.speed_limit} << " gradient " << int{s.gradient}
      << " adhesion " << int{s.adhesion};
  return out.str();
}

// Every cell where the arrays differ; empty when they are the same.
std::string differences(const std::vector<track_segment>& actual,
                        const std::vector<track_segment>& expected) {
  std::ostringstream out;
  if (actual.size() != expected.size()) {
    out << "size " << actual.size() << ", expected " << expected.size() << "\n";
    return out.str();
  }
  for (size_t c = 0; c < actual.size(); ++c) {
    if (actual[c] == expected[c]) continue;
    out << "cell " << c << ": " << describe(actual[c]) << "; expected " << describe(expected[c])
        << "\n";
  }
  return out.str();
}

// Runs the pass and returns how the array differs from `expected`.
std::string run_pass(test_line& line, const std::vector<track_segment>& expected) {
  assign_track_codes(line.records);
  return differences(line.records.segments, expected);
}

TEST(TrackCodeTest, BuiltInSlowdownGetsExactlyFiveCodePoints) {
  test_line line(1220);
  line.slowdown(241, 265, 280, 30).put(204, kSignal, 555).put(281, kSignal, 555);
  // Approach 260, 254, 247; walk 273; 279 before the signal after the end.
  const auto expected = line.with_points({260, 254, 247, 273, 279});

  EXPECT_EQ(run_pass(line, expected), "");
  EXPECT_EQ(line.records.failure_code, 0);
  EXPECT_EQ(line.records.failure_position, 0);
}

TEST(TrackCodeTest, NothingHappensWithoutSegmentArray) {
  scenario_records records;
  records.segment_last = 1220;
  records.failure_code = 7;
  records.failure_position = 350;
  assign_track_codes(records);
  EXPECT_TRUE(records.segments.empty());
  EXPECT_EQ(records.failure_code, 7);
  EXPECT_EQ(records.failure_position, 350);
}

TEST(TrackCodeTest, EarlierFailureStaysWhenPassFindsNone) {
  test_line line(100);
  line.slowdown(40, 50, 52, 30);
  line.records.failure_code = 21;
  line.records.failure_position = 2400;
  assign_track_codes(line.records);
  EXPECT_EQ(line.records.failure_code, 21);
  EXPECT_EQ(line.records.failure_position, 2400);
}

TEST(TrackCodeTest, MinimoKeepsTheLesser) {
  EXPECT_EQ(minimo(180, 270), 180);
  EXPECT_EQ(minimo(180, 120), 120);
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(180, -5), -5);
  EXPECT_EQ(minimo(-300, 180), -300);
}

// A warning point in cell 30 with a signal in cell 25: what happens in the
// two cells before the signal.
TEST(TrackCodeTest, SignalBehindWarningPointGetsCodePoint) {
  struct signal_case {
    const char* name;
    track_segment before1, before2;  // cells 24 and 23 before the pass
    track_segment after1, after2;    // and after it
    int32_t failure_code;
  };
  const track_segment point = cell(kCodePoint, 180);
  const signal_case cases[] = {
      {"both free", {}, {}, point, {}, 0},
      {"tunnel marker is replaced", cell(kTunnelMarker), {}, point, {}, 0},
      {"d-1 taken", cell(kStopMark, 3), {}, cell(kStopMark, 3), point, 0},
      {"d-1 a code point, d-2 free", cell(kCodePoint, 270), {}, cell(kCodePoint, 270), point, 0},
      {"d-1 code 270 lowered", cell(kCodePoint, 270), cell(kStopMark, 3), point, cell(kStopMark, 3),
       0},
      {"d-1 code 120 kept", cell(kCodePoint, 120), cell(kSignBoard, 2), cell(kCodePoint, 120),
       cell(kSignBoard, 2), 0},
      {"d-1 code 180 kept", cell(kCodePoint, 180), cell(kSignBoard, 2), point, cell(kSignBoard, 2),
       0},
      {"d-2 code 300 lowered", cell(kCodePointWithoutValue), cell(kCodePoint, 300),
       cell(kCodePointWithoutValue), point, 0},
      {"d-1 code point wins over d-2", cell(kCodePoint, 120), cell(kCodePoint, 300),
       cell(kCodePoint, 120), cell(kCodePoint, 300), 0},
      {"no room", cell(kStopMark, 3), cell(kSpeedBoard, 9), cell(kStopMark, 3),
       cell(kSpeedBoard, 9), 11},
  };
  for (const signal_case& c : cases) {
    SCOPED_TRACE(c.name);
    test_line line(100);
    line.put(30, kSlowdownWarning, 30).put(25, kSignal, 555).put(24, c.before1).put(23, c.before2);
    test_line want = line;
    want.put(24, c.after1).put(23, c.after2);

    EXPECT_EQ(run_pass(line, want.records.segments), "");
    EXPECT_EQ(line.records.failure_code, c.failure_code);
    EXPECT_EQ(line.records.failure_position, c.failure_code ? 25 * 50 : 0);
  }
}

TEST(TrackCodeTest, EverySignalWithinTwentyCellsBehindWarningIsTreated) {
  test_line line(100);
  line.put(40, kSlowdownWarning, 30).put(39, kSignal).put(20, kSignal).put(18, kSignal);
  // 39 and 20 lie 1 and 20 cells behind; 18 lies 22 cells behind.
  EXPECT_EQ(run_pass(line, line.with_points({38, 19})), "");
  EXPECT_EQ(line.records.failure_code, 0);
}

TEST(TrackCodeTest, SignalsBelowCellThreeAreNeverTreated) {
  {
    test_line line(100);
    line.put(3, kSlowdownWarning, 30).put(2, kSignal).put(1, kSignal);
    EXPECT_EQ(run_pass(line, line.records.segments), "");
  }
  {
    // The signal in cell 4 is treated; the one in cell 2 is not.
    test_line line(100);
    line.put(6, kSlowdownWarning, 30).put(4, kSignal).put(2, kSignal);
    EXPECT_EQ(run_pass(line, line.with_points({3})), "");
  }
  {
    test_line line(100);
    line.put(5, kSlowdownWarning, 30).put(3, kSignal).put(2, kSignal);
    EXPECT_EQ(run_pass(line, line.with_points({1})), "");
  }
  {
    // Both cells before the signal in cell 3 are taken: failure 11.
    test_line line(100);
    line.put(5, kSlowdownWarning, 30).put(3, kSignal).put(2, kSignal).put(1, kStopMark);
    EXPECT_EQ(run_pass(line, line.records.segments), "");
    EXPECT_EQ(line.records.failure_code, 11);
    EXPECT_EQ(line.records.failure_position, 150);
  }
}

// Fast slowdowns keep the walk away, so only approach points appear.
TEST(TrackCodeTest, ApproachTriplesDependOnStartCell) {
  const struct {
    int32_t start;
    std::vector<int32_t> points;
  } cases[] = {
      {7, {}},       {8, {3}},          {13, {8}},          {14, {9, 3}},
      {20, {15, 9}}, {21, {16, 10, 3}}, {40, {35, 29, 22}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    test_line line(100);
    line.put(c.start, kSlowdownStart, 120).put(c.start + 1, kSlowdownEnd, 120);
    EXPECT_EQ(run_pass(line, line.with_points(c.points)), "");
    EXPECT_EQ(line.records.failure_code, 0);
  }
}

TEST(TrackCodeTest, ApproachPointMovesAwayFromTakenCells) {
  const struct {
    std::vector<int32_t> taken;
    int32_t point;
  } cases[] = {{{}, 35}, {{35}, 34}, {{35, 34}, 33}, {{34, 33}, 35}, {{35, 33}, 34}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.taken));
    test_line line(100);
    line.put(40, kSlowdownStart, 120).put(41, kSlowdownEnd, 120);
    for (int32_t t : c.taken) line.put(t, kSignBoard, 1);
    EXPECT_EQ(run_pass(line, line.with_points({c.point, 29, 22})), "");
    EXPECT_EQ(line.records.failure_code, 0);
  }
}

TEST(TrackCodeTest, FullTripleFailsAndOtherTriplesStillGetPoints) {
  test_line line(100);
  line.put(40, kSlowdownStart, 120).put(41, kSlowdownEnd, 120);
  line.put(29, kStopMark, 1).put(28, kSignal).put(27, kSlowdownLeadIn, 1);
  EXPECT_EQ(run_pass(line, line.with_points({35, 22})), "");
  EXPECT_EQ(line.records.failure_code, 12);
  EXPECT_EQ(line.records.failure_position, 2000);
}

TEST(TrackCodeTest, WalkRunsOnlyBelowOneHundredTenKmh) {
  const struct {
    int16_t speed;
    bool walk;
  } cases[] = {{30, true}, {109, true}, {-1, true}, {110, false}, {150, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    test_line line(100);
    line.put(30, kSlowdownStart, c.speed).put(60, kSlowdownEnd, c.speed).put(61, kSignal);
    line.put(33, kSignal);  // inside the slowdown: no search may start before its end
    const auto expected =
        c.walk ? line.with_points({25, 19, 12, 38, 46, 54, 59}) : line.with_points({25, 19, 12});
    EXPECT_EQ(run_pass(line, expected), "");
    EXPECT_EQ(line.records.failure_code, 0);
  }
}

// Start in cell 30 at 30 km/h, approach points 25, 19, 12, no signal after.
TEST(TrackCodeTest, WalkPointsFollowWherePreviousPointWent) {
  const struct {
    const char* name;
    int32_t end;
    std::vector<int32_t> taken;
    std::vector<int32_t> walk;
    int32_t failure_code;
    int32_t failure_position;
  } cases[] = {
      {"end right after start", 31, {}, {}, 0, 0},
      {"end 7 cells after", 37, {}, {}, 0, 0},
      {"end 8 cells after", 38, {}, {37}, 0, 0},
      {"end 8 after, 7 taken", 38, {37}, {39}, 0, 0},
      {"end 8 after, 7 and 9 taken", 38, {37, 39}, {}, 13, 1900},
      {"long", 60, {}, {38, 46, 54}, 0, 0},
      {"long, 8 taken", 60, {38}, {37, 45, 53}, 0, 0},
      {"long, 8 and 7 taken", 60, {38, 37}, {39, 47, 55}, 0, 0},
      {"long, no room at 8", 60, {37, 38, 39}, {}, 13, 1900},
      {"long, no room at 16", 60, {45, 46, 47}, {38}, 13, 2300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_line line(100);
    line.put(30, kSlowdownStart, 30).put(c.end, kSlowdownEnd, 30);
    for (int32_t t : c.taken) line.put(t, kSpeedBoard, 1);
    auto expected = line.with_points({25, 19, 12});
    add_points(expected, c.walk);
    EXPECT_EQ(run_pass(line, expected), "");
    EXPECT_EQ(line.records.failure_code, c.failure_code);
    EXPECT_EQ(line.records.failure_position, c.failure_position);
  }
}

// Start 30 and end 60 at 30 km/h: approach points 25, 19, 12 and walk points
// 38, 46, 54 always; what the search after the end adds.
TEST(TrackCodeTest, FirstSignalAfterSlowEndGetsCodePoint) {
  const struct {
    const char* name;
    std::vector<int32_t> signals;
    std::vector<int32_t> taken;
    std::vector<int32_t> points;
    int32_t failure_code;
  } cases[] = {
      {"signal right after the end", {61}, {}, {59}, 0},
      {"signal 12 cells after the end", {72}, {}, {71}, 0},
      {"signal 13 cells after the end", {73}, {}, {}, 0},
      {"only the first signal", {62, 65}, {}, {61}, 0},
      {"cell before the signal taken", {63}, {62}, {61}, 0},
      {"no room before the signal", {61}, {59}, {}, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_line line(100);
    line.put(30, kSlowdownStart, 30).put(60, kSlowdownEnd, 30);
    for (int32_t s : c.signals) line.put(s, kSignal, 555);
    for (int32_t t : c.taken) line.put(t, kSignBoard, 1);
    auto expected = line.with_points({25, 19, 12, 38, 46, 54});
    add_points(expected, c.points);
    EXPECT_EQ(run_pass(line, expected), "");
    EXPECT_EQ(line.records.failure_code, c.failure_code);
    EXPECT_EQ(line.records.failure_position, c.failure_code ? 60 * 50 : 0);
  }
}

TEST(TrackCodeTest, SignalAfterEndIsServedEvenAfterWalkFailure) {
  test_line line(100);
  line.put(30, kSlowdownStart, 30).put(60, kSlowdownEnd, 30).put(61, kSignal, 555);
  line.put(37, kSignBoard, 1).put(38, kSignBoard, 2).put(39, kSignBoard, 3);
  EXPECT_EQ(run_pass(line, line.with_points({25, 19, 12, 59})), "");
  EXPECT_EQ(line.records.failure_code, 13);
  EXPECT_EQ(line.records.failure_position, 38 * 50);
}

TEST(TrackCodeTest, LaterFailureOverwritesEarlierOne) {
  {
    // Failure 12 at the first slowdown, then failure 13 on the second's walk.
    test_line line(200);
    line.put(30, kSlowdownStart, 120).put(31, kSlowdownEnd, 120);
    line.put(25, kSignBoard, 1).put(24, kSignBoard, 2).put(23, kSignBoard, 3);
    line.put(100, kSlowdownStart, 30).put(120, kSlowdownEnd, 30);
    line.put(107, kSignBoard, 4).put(108, kSignBoard, 5).put(109, kSignBoard, 6);
    assign_track_codes(line.records);
    EXPECT_EQ(line.records.failure_code, 13);
    EXPECT_EQ(line.records.failure_position, 108 * 50);
  }
  {
    // The same two failures the other way round: the pass order decides.
    test_line line(200);
    line.put(30, kSlowdownStart, 30).put(50, kSlowdownEnd, 30);
    line.put(37, kSignBoard, 4).put(38, kSignBoard, 5).put(39, kSignBoard, 6);
    line.put(100, kSlowdownStart, 120).put(101, kSlowdownEnd, 120);
    line.put(95, kSignBoard, 1).put(94, kSignBoard, 2).put(93, kSignBoard, 3);
    assign_track_codes(line.records);
    EXPECT_EQ(line.records.failure_code, 12);
    EXPECT_EQ(line.records.failure_position, 100 * 50);
  }
}

TEST(TrackCodeTest, LaterSlowdownSeesPointsOfEarlierOne) {
  // The first slowdown's walk point in cell 38 takes the second one's
  // nearest approach cell (43 - 5), so that approach point moves to 37.
  test_line line(100);
  line.put(30, kSlowdownStart, 30).put(40, kSlowdownEnd, 30);
  line.put(43, kSlowdownStart, 120).put(44, kSlowdownEnd, 120);
  EXPECT_EQ(run_pass(line, line.with_points({25, 19, 12, 38, 37, 32, 24})), "");
  EXPECT_EQ(line.records.failure_code, 0);
}

// Slowdowns near the end of a 21-cell array (last cell 20).  The arrays are
// exactly as long as the cells they hold, so a read past them is caught by
// the sanitizers.
TEST(TrackCodeTest, WalkStopsAtLastCell) {
  const struct {
    const char* name;
    int32_t start;
    int32_t end;  // -1: none inside the array
    std::vector<int32_t> signals;
    std::vector<int32_t> taken;
    std::vector<int32_t> points;
    int32_t failure_code;
  } cases[] = {
      {"no end, signal in last cell", 18, -1, {20}, {}, {13, 7, 19}, 0},
      {"start in the cell before the last is not visited", 19, -1, {20}, {}, {}, 0},
      {"walk point due at the last cell", 12, -1, {}, {}, {7, 20}, 0},
      {"last cell taken", 12, -1, {}, {20}, {7, 19}, 0},
      {"last two cells taken", 12, -1, {}, {19, 20}, {7}, 13},
      {"end in the last cell", 12, 20, {}, {}, {7, 19}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_line line(20);
    line.put(c.start, kSlowdownStart, 30);
    if (c.end >= 0) line.put(c.end, kSlowdownEnd, 30);
    for (int32_t s : c.signals) line.put(s, kSignal, 555);
    for (int32_t t : c.taken) line.put(t, kSignBoard, 1);
    EXPECT_EQ(run_pass(line, line.with_points(c.points)), "");
    EXPECT_EQ(line.records.failure_code, c.failure_code);
    EXPECT_EQ(line.records.failure_position, c.failure_code ? 20 * 50 : 0);
  }
}

TEST(TrackCodeTest, CellsPastLastIndexAreNeverUsed) {
  // Five spare cells after segment_last hold the end and a signal; the pass
  // treats them as taken and leaves them alone.
  {
    test_line line(20, 5);
    line.put(12, kSlowdownStart, 30).put(22, kSlowdownEnd, 30).put(23, kSignal, 555);
    line.put(21, kSignal, 555);
    EXPECT_EQ(run_pass(line, line.with_points({7, 20})), "");
    EXPECT_EQ(line.records.failure_code, 0);
  }
  {
    // Cell 21 is free, but past the last cell: no room for the walk point.
    test_line line(20, 5);
    line.put(12, kSlowdownStart, 30).put(22, kSlowdownEnd, 30).put(23, kSignal, 555);
    line.put(19, kSignBoard, 1).put(20, kSignBoard, 2);
    EXPECT_EQ(run_pass(line, line.with_points({7})), "");
    EXPECT_EQ(line.records.failure_code, 13);
    EXPECT_EQ(line.records.failure_position, 20 * 50);
  }
}

TEST(TrackCodeTest, LastIndexBeyondArrayIsClampedToIt) {
  test_line line(20);
  line.records.segment_last = 30;
  line.put(18, kSlowdownStart, 30).put(20, kSignal, 555);
  EXPECT_EQ(run_pass(line, line.with_points({13, 7, 19})), "");
  EXPECT_EQ(line.records.failure_code, 0);
}

TEST(TrackCodeTest, TinyArraysStayWithinBounds) {
  for (int32_t last = 0; last <= 2; ++last) {
    SCOPED_TRACE(last);
    test_line line(last);
    for (int32_t c = 0; c <= last; ++c) line.put(c, c % 2 ? kSlowdownStart : kSignal, 30);
    EXPECT_EQ(run_pass(line, line.records.segments), "");
  }
  test_line line(3);
  line.put(1, kSlowdownStart, 30).put(3, kSignal, 555);
  EXPECT_EQ(run_pass(line, line.with_points({2})), "");
}

}  // namespace
}  // namespace scenario
