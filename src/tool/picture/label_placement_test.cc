#include "tool/picture/label_placement.h"

#include <gtest/gtest.h>

namespace scenario::tool {
namespace {

TEST(LabelPlacement, SegmentsCrossingABox) {
  const box b{10, 10, 20, 20};
  struct {
    point a, b;
    bool crosses;
  } cases[] = {
      {{0, 15}, {30, 15}, true},   // straight through
      {{12, 12}, {13, 13}, true},  // wholly inside
      {{0, 0}, {30, 30}, true},    // through the corners
      {{0, 25}, {30, 25}, false},  // below it
      {{0, 0}, {9, 30}, false},    // beside it, slanting
      {{15, 0}, {15, 9}, false},   // stops short of it
      {{0, 41}, {41, 0}, false},   // passes a corner outside
  };
  for (const auto& c : cases)
    EXPECT_EQ(crosses(c.a, c.b, b), c.crosses)
        << c.a.x << "," << c.a.y << " to " << c.b.x << "," << c.b.y;
}

TEST(LabelPlacement, CharactersAreCountedNotBytes) {
  EXPECT_EQ(character_count("CITT\xC3\x80"), 5u);  // capital A grave in UTF-8
  EXPECT_DOUBLE_EQ(text_width("AB", 10), 2 * kCharacterWidth * 10);
}

// Two labels at one anchor on a horizontal track: neither may touch the
// track or the other, and the second stands farther off with a leader.
TEST(LabelPlacement, LabelsAvoidTheTrackAndEachOther) {
  label_layout layout({0, 0, 400, 400});
  const std::vector<point> track = {{0, 200}, {400, 200}};
  layout.add_line(track, 5);
  const std::optional<placed_label> first = layout.place({200, 200}, 80, 12);
  const std::optional<placed_label> second = layout.place({200, 200}, 80, 12);
  ASSERT_TRUE(first && second);
  for (const placed_label* l : {&*first, &*second})
    EXPECT_FALSE(crosses(track[0], track[1], l->where.grown(5)));
  EXPECT_FALSE(first->where.overlaps(second->where));
  EXPECT_FALSE(first->leader);
  EXPECT_TRUE(second->leader || second->where.top > 200);  // or on the other side
}

TEST(LabelPlacement, NoRoomGivesNothing) {
  label_layout layout({0, 0, 100, 20});
  EXPECT_FALSE(layout.place({50, 10}, 150, 12));  // wider than the bounds
  layout.add_obstacle({0, 0, 100, 20});
  EXPECT_FALSE(layout.place({50, 10}, 20, 12));  // all taken
}

}  // namespace
}  // namespace scenario::tool
