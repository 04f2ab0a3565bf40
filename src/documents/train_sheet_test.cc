#include "documents/train_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/documents.h"

namespace scenario {
namespace {

using testing::document_case;
using testing::DocumentTest;
using testing::split_crlf;

class TrainSheet : public ::testing::Test {
 protected:
  const std::string text = dati_scheda();
  const std::vector<std::string> lines = split_crlf(text);
};

// The fingerprint of the approved train sheet, whole.
INSTANTIATE_TEST_SUITE_P(
    TrainSheet, DocumentTest,
    ::testing::Values(document_case{
        dati_scheda(),
        51,
        3904,
        {},
        0x4dca7f0f38ebeb77ULL,
        {{0, 0},   {1, 0},   {2, 82},  {3, 83},  {4, 83},  {5, 83},  {6, 83},  {7, 56},  {8, 64},
         {9, 57},  {10, 57}, {11, 0},  {12, 82}, {13, 83}, {14, 83}, {15, 83}, {16, 83}, {17, 83},
         {18, 83}, {19, 83}, {20, 83}, {21, 83}, {22, 84}, {23, 83}, {24, 83}, {25, 83}, {26, 83},
         {27, 83}, {28, 83}, {29, 83}, {30, 83}, {31, 83}, {32, 83}, {33, 83}, {34, 83}, {35, 83},
         {36, 83}, {37, 83}, {38, 83}, {39, 83}, {40, 83}, {41, 83}, {42, 83}, {43, 83}, {44, 83},
         {45, 83}, {46, 83}, {47, 83}, {48, 83}, {49, 83}, {50, 0}}}));

TEST_F(TrainSheet, KeepsItsTrailingBlanksAndEmptyLines) {
  ASSERT_EQ(lines.size(), 51u);
  // The mass box header is followed by exactly seven blanks.
  EXPECT_EQ(lines[8].substr(lines[8].size() - 8), "|       ");
  // Empty lines are a bare CR LF: two at the top, one between the boxes and
  // the table, one at the very end.
  EXPECT_EQ(text.substr(0, 4), "\r\n\r\n");
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
  for (int slot : {0, 1, 11, 50}) EXPECT_EQ(lines[slot], "") << "line " << slot;
}

TEST_F(TrainSheet, SpacerRowsAreOneRowAndLine22AddsOneBlank) {
  ASSERT_EQ(lines.size(), 51u);
  const std::string& spacer = lines[16];
  EXPECT_EQ(spacer.find_first_not_of(" |"), std::string::npos);
  for (int slot = 16; slot <= 48; slot += 2) {
    if (slot == 22) continue;
    EXPECT_EQ(lines[slot], spacer) << "line " << slot;
  }
  EXPECT_EQ(lines[22], spacer + " ");
}

// The service points run down the table in line order: kilometric progressive
// rising, from the origin of the header to its destination.
TEST_F(TrainSheet, ServicePointsRunFromMilanoToLecco) {
  ASSERT_EQ(lines.size(), 51u);
  auto column = [](const std::string& row, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) start = row.find('|', start) + 1;
    const std::string cell = row.substr(start, row.find('|', start) - start);
    const std::size_t first = cell.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : cell.substr(first, cell.find_last_not_of(' ') - first + 1);
  };
  std::vector<std::string> names;
  double last_km = -1;
  for (int slot = 17; slot <= 47; slot += 2) {
    SCOPED_TRACE("line " + std::to_string(slot));
    const double km = std::stod(column(lines[slot], 3));
    EXPECT_GT(km, last_km);
    last_km = km;
    names.push_back(column(lines[slot], 5));
  }
  ASSERT_EQ(names.size(), 16u);
  EXPECT_EQ(names.front(), "Milano Centrale");
  EXPECT_EQ(names[11], "Aiuruno");  // the card's own spelling
  EXPECT_EQ(names.back(), "Lecco");
  EXPECT_NE(lines[4].find("TRENO n.5244"), std::string::npos);
  EXPECT_NE(lines[4].find("da: Milano Centrale"), std::string::npos);
  EXPECT_NE(lines[5].find("a: Lecco"), std::string::npos);
}

}  // namespace
}  // namespace scenario
