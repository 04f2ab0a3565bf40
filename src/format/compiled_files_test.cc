#include "format/compiled_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace scenario {
namespace {

std::string table_bytes(const general_table_t& table) {
  std::ostringstream out;
  write_general_table(out, table);
  return out.str();
}

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(TableFileTest, ClearedSlotsAreThirtyFourZeroBytes) {
  general_table_t table{};
  table[86].text = "L5244";
  const std::string file = table_bytes(table);
  EXPECT_EQ(file.size(), 87u * kGeneralEntryFixedBytes + 5);
  EXPECT_EQ(file.substr(0, 34), std::string(34, '\0'));
}

TEST(TableFileTest, SlotEightySixOfTheBuiltInScenario) {
  general_entry slot;
  slot.value_b = 52000;
  slot.value_c = 4;
  slot.text = "L5244";
  slot.number_a = 300;
  slot.number_d = 24;
  slot.number_e = 30;
  std::string out;
  append_general_entry(out, slot);
  const std::string expected =
      bytes({0, 0, 0, 0, 0, 0x20, 0xCB, 0, 0, 4, 0, 0, 0, 0, 5, 0}) + "L5244" +
      bytes({0x2C, 0x01, 0, 0, 0, 0, 24, 0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out.size(), 39u);
}

TEST(TableFileTest, EveryFieldLandsAtItsOffsetLittleEndian) {
  general_entry e;
  e.kind = 0x11;
  e.value_a = -2;
  e.value_b = 0x01020304;
  e.value_c = 0x7FFFFFFF;
  e.option_a = 0xAB;
  e.text = "ab";
  e.number_a = -1;
  e.number_b = 0x0102;
  e.number_c = 3;
  e.number_d = 4;
  e.number_e = 5;
  e.option_b = 6;
  e.option_c = 7;
  e.option_d = 8;
  e.option_e = 9;
  e.time_s = 0x0A0B0C0D;
  std::string out;
  append_general_entry(out, e);
  const std::string expected =
      bytes({0x11, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0xAB, 2, 0}) + "ab" +
      bytes({0xFF, 0xFF, 2, 1, 3, 0, 4, 0, 5, 0, 6, 7, 8, 9, 0x0D, 0x0C, 0x0B, 0x0A});
  EXPECT_EQ(out, expected);
}

TEST(SegmentFileTest, FifteenBytesACellInFieldOrder) {
  std::vector<track_segment> cells(3);
  cells[1] = {12, 5121, 2356, -3, 0x0405, 6, 7, 8, 9, 10, 11};
  std::ostringstream out;
  write_segments(out, cells);
  const std::string file = out.str();
  ASSERT_EQ(file.size(), 45u);
  EXPECT_EQ(file.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(file.substr(15, 15),
            bytes({12, 0x01, 0x14, 0x34, 0x09, 0xFD, 0xFF, 0x05, 0x04, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(static_cast<uint8_t>(file[16]), 0x01);  // value1 of cell 1 at offset 16
}

// Reads the tagged cell at `offset`: tag, then payload.
struct stored_cell {
  uint16_t tag;
  double value;
  size_t size;
};

stored_cell cell_at(const std::string& file, size_t offset) {
  uint16_t tag = static_cast<uint8_t>(file[offset]) | (static_cast<uint8_t>(file[offset + 1]) << 8);
  if (tag == 2) {
    int16_t v = static_cast<int16_t>(static_cast<uint8_t>(file[offset + 2]) |
                                     (static_cast<uint8_t>(file[offset + 3]) << 8));
    return {tag, static_cast<double>(v), 4};
  }
  if (tag == 5) {
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<uint8_t>(file[offset + 2 + i]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return {tag, v, 10};
  }
  return {tag, 0, 2};
}

TEST(LineGeometryFileTest, ColumnsOfTaggedCells) {
  route_plan plan(4);
  plan.set_integer(0, 0, 0);
  plan.set_integer(0, 1, 0);
  plan.set_integer(1, 0, 0);
  plan.set_integer(1, 1, 1);
  plan.set_real(2, 0, -0.5);
  plan.set_real(2, 1, 2.25);
  std::ostringstream out;
  write_line_geometry(out, plan);
  const std::string file = out.str();
  // Per column: two integers, one float, two empty cells.
  ASSERT_EQ(file.size(), 2u * (4 + 4 + 10 + 2 + 2));
  const size_t column1 = 22;
  EXPECT_EQ(cell_at(file, 4).tag, 2);
  EXPECT_EQ(cell_at(file, 8).tag, 5);
  EXPECT_EQ(cell_at(file, 8).value, -0.5);
  EXPECT_EQ(cell_at(file, 18).tag, 0);
  EXPECT_EQ(cell_at(file, 20).tag, 0);
  EXPECT_EQ(cell_at(file, column1 + 4).value, 1.0);
  EXPECT_EQ(cell_at(file, column1 + 8).value, 2.25);
}

TEST(LineGeometryFileTest, FullyDrawnBuiltInLengthHasTheKnownSize) {
  const int32_t M = 61000;
  route_plan plan(M);
  for (int c = 0; c < 2; ++c) {
    plan.set_integer(0, c, 0);
    plan.set_integer(1, c, static_cast<int16_t>(c));
    for (int32_t m = 2; m <= M - 2; ++m) plan.set_real(m, c, m * 0.5);
  }
  std::ostringstream out;
  write_line_geometry(out, plan);
  const std::string file = out.str();
  EXPECT_EQ(file.size(), 1219964u);
  const size_t column1 = 609982;
  EXPECT_EQ(cell_at(file, column1).tag, 2);
  EXPECT_EQ(cell_at(file, column1 + 4).value, 1.0);
  EXPECT_EQ(cell_at(file, column1 - 2).tag, 0);  // column 0's last metre is empty
  EXPECT_EQ(cell_at(file, column1 + 8 + 10 * 998).value, 1000 * 0.5);
}

}  // namespace
}  // namespace scenario
