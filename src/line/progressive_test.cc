#include "line/progressive.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/compilation_runs.h"

namespace scenario {
namespace {

struct entry {
  int32_t position, value, flag;
  bool operator==(const entry&) const = default;
};

struct ordering_case {
  const char* name;
  entry uno, due, tre;
  entry slot81, slot82, slot83;
};

class ProgressiveTest : public ::testing::TestWithParam<ordering_case> {};

TEST_P(ProgressiveTest, OrdersTheThreeEntries) {
  const ordering_case& c = GetParam();
  general_table_t table{};
  auto put = [&table](int slot, entry e) {
    table[slot].value_a = e.position;
    table[slot].value_b = e.value;
    table[slot].value_c = e.flag;
  };
  put(83, c.uno);
  put(82, c.due);
  put(81, c.tre);
  table[80].value_a = 99;  // neighbours stay as they are
  table[84].value_b = 54000;
  progressive_ordina(table);
  auto get = [&table](int slot) {
    return entry{table[slot].value_a, table[slot].value_b, table[slot].value_c};
  };
  EXPECT_EQ(get(81), c.slot81);
  EXPECT_EQ(get(82), c.slot82);
  EXPECT_EQ(get(83), c.slot83);
  EXPECT_EQ(table[80].value_a, 99);
  EXPECT_EQ(table[84].value_b, 54000);
}

constexpr entry kZero{0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressiveTest,
    ::testing::Values(
        ordering_case{"all_zero", kZero, kZero, kZero, kZero, kZero, kZero},
        ordering_case{"rising",
                      {0, 1, 0},
                      {20000, 2, 0},
                      {40000, 3, 0},
                      {40000, 3, 0},
                      {20000, 2, 0},
                      {0, 1, 0}},
        ordering_case{"uno_top_tie_below",
                      {40000, 1, 0},
                      {0, 2, 0},
                      {0, 3, 0},
                      {40000, 1, 0},
                      {0, 2, 0},
                      {0, 3, 0}},
        ordering_case{"due_top_tie_below",
                      {0, 1, 0},
                      {40000, 2, 0},
                      {0, 3, 0},
                      {40000, 2, 0},
                      {0, 1, 0},
                      {0, 3, 0}},
        ordering_case{"tre_top_middle_due",
                      {100, 1, 0},
                      {200, 2, 0},
                      {300, 3, 0},
                      {300, 3, 0},
                      {200, 2, 0},
                      {100, 1, 0}},
        ordering_case{"top_tied", {30000, 1, 0}, {30000, 2, 0}, {10000, 3, 0}, kZero, kZero, kZero},
        ordering_case{"sum_zero_uno_value", {0, 5000, 0}, kZero, kZero, {0, 5000, 0}, kZero, kZero},
        ordering_case{
            "sum_zero_due_value", {0, 0, 0}, {0, 7, 0}, {0, 9, 0}, {0, 7, 0}, {0, 9, 0}, {0, 0, 0}},
        ordering_case{"sum_zero_tre_value",
                      {0, -1, 0},
                      {0, 0, 0},
                      {0, 9, 0},
                      {0, 9, 0},
                      {0, 0, 0},
                      {0, -1, 0}},
        ordering_case{"sum_zero_no_value", {0, -1, 0}, {0, 0, 0}, {0, 0, 0}, kZero, kZero, kZero},
        ordering_case{"opposite_positions_order_by_value",
                      {100, 0, 0},
                      {-100, 3, 0},
                      {0, 0, 0},
                      {-100, 3, 0},
                      {0, 0, 0},
                      {100, 0, 0}},
        ordering_case{"flag_one_adds_hundred",
                      {40000, 4900, 1},
                      {0, 0, 2},
                      {0, 4900, 2},
                      {40000, 5000, 1},
                      {0, 0, 2},
                      {0, 4900, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// A flag that pushes its value past 32 bits stops the reading with failure 25
// after the three slots are ordered: the slots flagged before it keep their
// 100, the rest keep their values as ordered.
struct overflow_case {
  const char* name;
  std::string entries;
  entry slot81, slot82, slot83;
};

class ProgressiveOverflowTest : public ::testing::TestWithParam<overflow_case> {};

TEST_P(ProgressiveOverflowTest, LeavesTheSlotsOrdered) {
  const overflow_case& c = GetParam();
  const testing::reading_run run =
      testing::read_texts("[generale]\r\nlunghezza percorso, 1000\r\n" + c.entries + "[fine]\r\n",
                          testing::service_text(""));
  EXPECT_EQ(run.code(), 25);
  EXPECT_EQ(run.position(), 0);
  auto get = [&run](int slot) {
    const general_entry& e = run.records.general_table[static_cast<size_t>(slot)];
    return entry{e.value_a, e.value_b, e.value_c};
  };
  EXPECT_EQ(get(81), c.slot81);
  EXPECT_EQ(get(82), c.slot82);
  EXPECT_EQ(get(83), c.slot83);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressiveOverflowTest,
                         ::testing::Values(
                             // "due" lies furthest; "uno" and "tre" tie at 0 m, "uno" first.
                             overflow_case{"slot_82_after_due",
                                           "progressiva chilometrica uno, 0, 2147483600, 1\r\n"
                                           "progressiva chilometrica due, 100, 5, 0\r\n",
                                           {100, 5, 0},
                                           {0, 2147483600, 1},
                                           {0, 0, 0}},
                             // Every position 0: "uno" has a value, so the order is uno, due, tre.
                             overflow_case{"slot_81_all_at_zero",
                                           "progressiva chilometrica uno, 0, 2147483600, 1\r\n"
                                           "progressiva chilometrica due, 0, 7, 1\r\n"
                                           "progressiva chilometrica tre, 0, 3, 0\r\n",
                                           {0, 2147483600, 1},
                                           {0, 7, 1},
                                           {0, 3, 0}},
                             // "tre" lies furthest and takes its 100; "uno" overflows in slot 82.
                             overflow_case{"slot_82_after_tre",
                                           "progressiva chilometrica tre, 300, 10, 1\r\n"
                                           "progressiva chilometrica uno, 200, 2147483600, 1\r\n"
                                           "progressiva chilometrica due, 100, 20, 0\r\n",
                                           {300, 110, 1},
                                           {200, 2147483600, 1},
                                           {100, 20, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario
