#include "model/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace scenario {
namespace {

// Reference: the whole real number position / 50 + offset rounded half to
// even in floating point.  Every quotient that ends in an exact half (an odd
// multiple of 25) is exact in a double, and every other one lies at least
// 1/50 away from a half, so nearbyint decides each case exactly.
int64_t rational_reference(int64_t metres, int64_t offset) {
  return static_cast<int64_t>(
      std::nearbyint(static_cast<double>(metres) / 50.0 + static_cast<double>(offset)));
}

TEST(RoundingTest, SegmentIndexRoundsTheWholeExpression) {
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  // The offsets the entries use: marks and boards, profiles and tunnel
  // starts, a tunnel's last segment, a station's stop and approach marks.
  for (int64_t offset : {1, 0, -1, -2, -3, -4, -5}) {
    for (int64_t x = -1000; x <= 100000; ++x)
      ASSERT_EQ(segment_index(x, offset), rational_reference(x, offset))
          << "position " << x << ", offset " << offset;
  }
}

TEST(RoundingTest, HalvesGoToTheEvenSegment) {
  struct half {
    int64_t metres, offset, segment;
  } cases[] = {
      {5175, 1, 104},  {5125, 1, 104},   {5225, 1, 106},  {2025, 1, 42},   {3075, 1, 62},
      {10025, 0, 200}, {10975, -1, 218}, {8425, -1, 168}, {18875, 1, 378}, {18875, 0, 378},
      {18825, 0, 376}, {-25, 0, 0},      {-75, 0, -2},    {25, 1, 2},      {75, 1, 2},
  };
  for (const half& c : cases)
    EXPECT_EQ(segment_index(c.metres, c.offset), c.segment)
        << "position " << c.metres << ", offset " << c.offset;
}

TEST(RoundingTest, SegmentPositionLandsBackOnItsSegment) {
  for (int64_t offset : {1, 0, -1, -5}) {
    for (int64_t i = -2; i <= 20200; ++i)
      ASSERT_EQ(segment_index(segment_position(i, offset), offset), i) << i << " " << offset;
  }
  EXPECT_EQ(segment_position(30, kMarkOffset), 1450);  // the built-in signal at 1 450 m
}

}  // namespace
}  // namespace scenario
