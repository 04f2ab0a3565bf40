// The signal and slowdown recorders name the cell that refused an entry: the
// readers quote what holds that cell, so it must be the cell the recorder
// found taken, the first in the order it looks.
#include "service/signals_and_slowdowns.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace scenario {
namespace {

scenario_records line_of(std::vector<int64_t> taken, uint8_t kind = kSignal) {
  scenario_records r;
  r.segment_last = 340;
  r.segments.assign(341, track_segment{});
  for (int64_t c : taken) r.segments[static_cast<size_t>(c)].kind = kind;
  return r;
}

struct slowdown_case {
  const char* name;
  std::vector<int64_t> taken;
  int32_t f_ta;
  std::optional<int32_t> failure;  // nothing: recorded
  int64_t cell;
};

class SlowdownRefusalTest : public ::testing::TestWithParam<slowdown_case> {};

// x 3000 m over 500 m: warning point 37, start 61, end 71, lead-in 36 to 33.
TEST_P(SlowdownRefusalTest, NamesTheTakenCell) {
  const slowdown_case& c = GetParam();
  scenario_records r = line_of(c.taken);
  const std::optional<taken_cell> taken = memo_rallentamento(r, {3000, 30, 500, 7, c.f_ta, 0});
  ASSERT_EQ(taken.has_value(), c.failure.has_value());
  if (!taken) {
    EXPECT_EQ(r.failure_code, 0);
    EXPECT_EQ(r.segments[61].kind, kSlowdownStart);
    return;
  }
  EXPECT_EQ(taken->failure, *c.failure);
  EXPECT_EQ(taken->cell, c.cell);
  EXPECT_EQ(r.failure_code, *c.failure);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, SlowdownRefusalTest,
    ::testing::Values(slowdown_case{"warning", {37}, 1, 17, 37},
                      slowdown_case{"start", {61}, 1, 18, 61},
                      slowdown_case{"end", {71}, 1, 19, 71},
                      slowdown_case{"warning_before_start", {61, 37}, 1, 17, 37},
                      slowdown_case{"lead_in_top", {36}, 1, 20, 36},
                      slowdown_case{"lead_in_middle", {35}, 1, 20, 35},
                      slowdown_case{"lead_in_bottom", {33}, 1, 20, 33},
                      slowdown_case{"lead_in_first_from_top", {33, 35}, 1, 20, 35},
                      slowdown_case{"lead_in_not_asked", {35}, 0, std::nullopt, 0},
                      slowdown_case{"free", {}, 1, std::nullopt, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SlowdownRefusal, TunnelMarkersLeaveCellsFree) {
  scenario_records r = line_of({37, 61, 71, 34}, kTunnelMarker);
  EXPECT_EQ(memo_rallentamento(r, {3000, 30, 500, 7, 1, 0}), std::nullopt);
  EXPECT_EQ(r.segments[34].kind, kSlowdownLeadIn);
}

// A signal at 1000 m stands on cell 21.
TEST(SignalRefusal, NamesItsOwnCellAndWritesNothing) {
  scenario_records r = line_of({21});
  signal_values s{1000, 2, 1, 1, 1, 0, 0, 0, 0, 0, 50};
  const std::optional<taken_cell> taken = memo_segnale(r, s);
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(taken->failure, 16);
  EXPECT_EQ(taken->cell, 21);
  EXPECT_EQ(r.failure_code, 16);
  EXPECT_EQ(r.segments[19].approach_mark, 0);
  EXPECT_EQ(s.tempo, 50);  // refused before its time is looked at
}

TEST(SignalRefusal, RecordedSignalRaisesItsTime) {
  scenario_records r = line_of({});
  signal_values s{1000, 2, 1, 1, 1, 0, 0, 0, 0, 0, 50};
  EXPECT_EQ(memo_segnale(r, s), std::nullopt);
  EXPECT_EQ(s.tempo, 101);
  EXPECT_EQ(r.segments[21].signal_time, 101);
  EXPECT_EQ(r.segments[19].approach_mark, 61);  // (2 x 3 + 0) x 10 + 1
}

}  // namespace
}  // namespace scenario
