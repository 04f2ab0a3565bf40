#include "documents/slow_order_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/documents.h"

namespace scenario {
namespace {

using testing::document_case;
using testing::DocumentTest;
using testing::split_crlf;

class SlowOrderForm : public ::testing::Test {
 protected:
  const std::string text = dati_rallentamenti();
  const std::vector<std::string> lines = split_crlf(text);
};

// The fingerprint of the approved slow order form, whole.
INSTANTIATE_TEST_SUITE_P(SlowOrderForm, DocumentTest,
                         ::testing::Values(document_case{
                             dati_rallentamenti(),
                             46,
                             3293,
                             {},
                             0xd889ae5d0343ee20ULL,
                             {{0, 0},   {1, 42},  {2, 50},  {3, 81},  {4, 33},  {5, 0},   {6, 81},
                              {7, 81},  {8, 82},  {9, 82},  {10, 82}, {11, 82}, {12, 82}, {13, 82},
                              {14, 82}, {15, 82}, {16, 82}, {17, 82}, {18, 82}, {19, 82}, {20, 82},
                              {21, 82}, {22, 82}, {23, 82}, {24, 82}, {25, 82}, {26, 82}, {27, 82},
                              {28, 82}, {29, 82}, {30, 82}, {31, 82}, {32, 82}, {33, 82}, {34, 82},
                              {35, 82}, {36, 82}, {37, 82}, {38, 82}, {39, 0},  {40, 37}, {41, 63},
                              {42, 42}, {43, 49}, {44, 58}, {45, 42}}}));

TEST_F(SlowOrderForm, EmptyLinesAreBareLineEnds) {
  ASSERT_EQ(lines.size(), 46u);
  EXPECT_EQ(text.substr(0, 2), "\r\n");
  for (int slot : {0, 5, 39}) EXPECT_EQ(lines[slot], "") << "line " << slot;
}

TEST_F(SlowOrderForm, TableHasOneFilledRowAmongBlankRows) {
  ASSERT_EQ(lines.size(), 46u);
  const std::string& blank = lines[12];
  EXPECT_EQ(blank.find_first_not_of(" |"), std::string::npos);
  for (int slot = 14; slot <= 37; ++slot) EXPECT_EQ(lines[slot], blank) << "line " << slot;
  EXPECT_EQ(lines[38], lines[11]);  // closed by the header's rule line
  EXPECT_NE(lines[13], blank);
}

// The one restriction is the scenario's slowdown: Monza - Arcore, from
// kilometric point 13.200, 30 km/h over 750 m, for train L5244.
TEST_F(SlowOrderForm, OrdersTheScenarioSlowdown) {
  ASSERT_EQ(lines.size(), 46u);
  std::vector<std::string> cells;
  const std::string& row = lines[13];
  for (std::size_t start = row.find('|') + 1, end;
       (end = row.find('|', start)) != std::string::npos; start = end + 1) {
    const std::string cell = row.substr(start, end - start);
    const std::size_t first = cell.find_first_not_of(' ');
    cells.push_back(first == std::string::npos
                        ? std::string()
                        : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  }
  const std::vector<std::string> expected = {"1", "Monza - Arcore", "13.200", "30", "750", "-"};
  EXPECT_EQ(cells, expected);
  EXPECT_NE(lines[6].find("treno L5244"), std::string::npos);
}

TEST_F(SlowOrderForm, PrescriptionKeyRunsABDC) {
  ASSERT_EQ(lines.size(), 46u);
  EXPECT_EQ(lines[40].find_first_not_of(' '), 14u);
  const char order[] = {'A', 'B', 'D', 'C'};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(lines[41 + i].substr(0, 5), std::string(" ") + order[i] + " - ") << "line " << 41 + i;
  }
  // Line 45 continues C ("... di tutti / i giorni esclusi ...").
  EXPECT_EQ(lines[45].substr(0, 6), "     i");
  EXPECT_EQ(lines[44].substr(lines[44].size() - 5), "tutti");
}

}  // namespace
}  // namespace scenario
