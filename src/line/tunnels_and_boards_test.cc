// The speed-board recorder names the cell that refused a board, and records
// nothing there.
#include "line/tunnels_and_boards.h"

#include <gtest/gtest.h>

#include <optional>

namespace scenario {
namespace {

TEST(SpeedBoardRefusal, NamesItsCellAndWritesNothing) {
  for (const uint8_t kind : {kSignal, kSignBoard, kSpeedBoard}) {
    scenario_records r;
    r.segment_last = 340;
    r.segments.assign(341, track_segment{});
    r.segments[21].kind = kind;  // a board at 1000 m stands on cell 21
    const std::optional<taken_cell> taken =
        memo_indicatori_v_max(r, 1000, 100, 60, 30, 1, 100, 60, 30, 2);
    ASSERT_TRUE(taken.has_value()) << int{kind};
    EXPECT_EQ(taken->failure, 21);
    EXPECT_EQ(taken->cell, 21);
    EXPECT_EQ(r.failure_code, 21);
    EXPECT_EQ(r.segments[21].kind, kind);
    EXPECT_EQ(r.segments[21].value1, 0);
  }
}

TEST(SpeedBoardRefusal, FreeCellTakesTheBoard) {
  scenario_records r;
  r.segment_last = 340;
  r.segments.assign(341, track_segment{});
  r.segments[21].kind = kTunnelMarker;
  EXPECT_EQ(memo_indicatori_v_max(r, 1000, 100, 60, 30, 1, 100, 60, 30, 2), std::nullopt);
  EXPECT_EQ(r.failure_code, 0);
  EXPECT_EQ(r.segments[21].kind, kSpeedBoard);
  EXPECT_EQ(r.segments[21].value4, 12);
}

}  // namespace
}  // namespace scenario
