#include "documents/kilometric_points.h"

#include <gtest/gtest.h>

#include "model/fields.h"

namespace scenario {
namespace {

struct entry {
  int32_t position, value;
};

// The ordered slots 81, 82, 83 as the line reader leaves them.
general_table_t table_with(std::initializer_list<entry> entries) {
  general_table_t table{};
  int slot = kSlotProgressiveTre;
  for (const entry& e : entries) {
    progressive_slot::position.of(table[static_cast<size_t>(slot)]) = e.position;
    progressive_slot::value.of(table[static_cast<size_t>(slot++)]) = e.value;
  }
  return table;
}

TEST(KilometricPoints, CountFromTheEntryAtOrBeforeThePlace) {
  const struct {
    general_table_t table;
    int64_t position, metres;
  } cases[] = {
      {table_with({}), 13200, 13200},                             // no entry: the position
      {table_with({{0, 0}, {0, 0}, {0, 0}}), 13200, 13200},       // entries of nothing
      {table_with({{0, 0}, {0, 0}, {0, 100000}}), 2500, 102500},  // posts from km 100
      // A jump in the posts at 6 000 m: before it the first entry counts.
      {table_with({{6000, 110000}, {0, 100000}}), 5950, 105950},
      {table_with({{6000, 110000}, {0, 100000}}), 6000, 110000},
      {table_with({{6000, 110000}, {0, 100000}}), 9000, 113000},
      // Before every entry: back from the first one.
      {table_with({{8000, 50000}, {3000, 40000}}), 1000, 38000},
      // An entry at 0 with value 0 beside others says nothing.
      {table_with({{5000, 20000}, {0, 0}}), 1000, 16000},
      // Two at one position: the first of the ordered slots.
      {table_with({{4000, 9000}, {4000, 7000}}), 4500, 9500},
      {table_with({{-1000, 0}}), 0, 1000},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kilometric_metres(c.table, c.position), c.metres) << c.position;
}

TEST(KilometricPoints, TextsGiveKilometresWithTheirMetres) {
  EXPECT_EQ(kilometres_text(13200), "13.200");
  EXPECT_EQ(kilometres_text(0), "0.000");
  EXPECT_EQ(kilometres_text(50), "0.050");
  EXPECT_EQ(kilometres_text(1000000), "1000.000");
  EXPECT_EQ(kilometres_text(-150), "-0.150");
  EXPECT_EQ(kilometre_post_text(8000), "8");
  EXPECT_EQ(kilometre_post_text(49100), "49.1");
  EXPECT_EQ(kilometre_post_text(8125), "8.125");
  EXPECT_EQ(kilometre_post_text(0), "0");
  EXPECT_EQ(kilometre_post_text(-500), "-0.5");
}

}  // namespace
}  // namespace scenario
