#include "model/positions.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

// One way to state a segment everywhere: an object at the position that
// puts it there, a segment without one by the metres it covers.
TEST(Positions, SegmentTextsStateTheAuthorsPositionOrTheMetresCovered) {
  struct {
    int64_t index;
    uint8_t kind;
    const char* text;
  } const cases[] = {
      {281, kSignal, "segment 281, at 14000 m"},
      {281, kSignBoard, "segment 281, at 14000 m"},
      {279, kStopMark, "segment 279, at 14000 m"},
      {280, kCodePoint, "segment 280, at 14000 m"},
      {283, kSlowdownLeadIn, "segment 283, covering 14150-14200 m"},
      {283, kTunnelMarker, "segment 283, covering 14150-14200 m"},
      {0, kNothing, "segment 0, covering 0-50 m"},
  };
  for (const auto& c : cases) EXPECT_EQ(segment_text(c.index, c.kind), c.text) << c.text;
}

// The position shown for an object is one its entry may write: it maps
// back onto the same segment.
TEST(Positions, TheShownPositionLandsOnItsSegment) {
  for (const placed_kind& p : kPlacedKinds)
    for (int64_t i = 0; i <= 20140; ++i) {
      const std::optional<int64_t> at = author_position(p.kind, i);
      ASSERT_TRUE(at.has_value());
      ASSERT_EQ(*at % kSegmentMetres, 0);
      ASSERT_EQ(segment_index(*at, p.offset), i) << int{p.kind};
    }
  EXPECT_FALSE(author_position(kSlowdownLeadIn, 10).has_value());
  EXPECT_FALSE(author_position(kTunnelMarker, 10).has_value());
  EXPECT_FALSE(author_position(kNothing, 10).has_value());
}

}  // namespace
}  // namespace scenario
