#include "documents/notes_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/documents.h"

namespace scenario {
namespace {

using testing::document_case;
using testing::DocumentTest;
using testing::split_crlf;

// Lines whose wording belongs to the scenario's author: introduction, author
// block, notice and closing line. All the others are fixed.
constexpr int kProseSlots[] = {17, 18, 19, 20, 21, 22, 37, 38, 39,
                               40, 44, 45, 46, 47, 48, 49, 50, 52};

class NotesPage : public ::testing::Test {
 protected:
  const std::string text = dati_note();
  const std::vector<std::string> lines = split_crlf(text);
};

INSTANTIATE_TEST_SUITE_P(
    NotesPage, DocumentTest,
    ::testing::Values(document_case{
        dati_note(),
        53,
        0,
        std::vector<int>(std::begin(kProseSlots), std::end(kProseSlots)),
        0x7463afcb43f7efd5ULL,
        {{0, 21},  {1, 0},   {2, 45},  {3, 0},   {4, 44},  {5, 39},  {6, 28},  {7, 27},  {8, 22},
         {9, 21},  {10, 22}, {11, 56}, {12, 24}, {13, 45}, {14, 0},  {15, 6},  {16, 0},  {23, 0},
         {24, 23}, {25, 0},  {26, 97}, {27, 91}, {28, 97}, {29, 97}, {30, 97}, {31, 97}, {32, 91},
         {33, 19}, {34, 0},  {35, 14}, {36, 0},  {41, 0},  {42, 10}, {43, 0},  {51, 0}}}));

TEST_F(NotesPage, AccentsAreSingleWindows1252Bytes) {
  ASSERT_EQ(lines.size(), 53u);
  EXPECT_EQ(lines[7], "Velocit\xE0 massima  : 120 KMH");
  EXPECT_EQ(lines[8].substr(0, 2), "N\xB0");
  EXPECT_EQ(lines[26].substr(0, 10), "Il treno \xE8");
  EXPECT_EQ(std::count(lines[26].begin(), lines[26].end(), '\xE8'), 3);
  EXPECT_EQ(text.find_first_of("\xC2\xC3"), std::string::npos) << "UTF-8 leaked into the page";
}

TEST_F(NotesPage, KeepsTrailingBlanksWhereTheTextWasCut) {
  ASSERT_EQ(lines.size(), 53u);
  for (int slot : {12, 27, 30}) {
    const std::string& line = lines[slot];
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.back(), ' ') << "line " << slot;
    EXPECT_NE(line[line.size() - 2], ' ') << "line " << slot;
  }
}

TEST_F(NotesPage, BlocksOpenWithHeadingAndEmptyLine) {
  ASSERT_EQ(lines.size(), 53u);
  const struct {
    int slot;
    const char* heading;
  } blocks[] = {{2, "CARATTERISTICHE TECNICHE DEL TRATTO SIMULATO:"},
                {15, "INTRO:"},
                {24, "NOTE DELLA SIMULAZIONE:"},
                {35, "DATI PERSONALI"},
                {42, "AVVISO!!!:"}};
  for (const auto& block : blocks) {
    EXPECT_EQ(lines[block.slot], block.heading);
    EXPECT_EQ(lines[block.slot + 1], "") << "after " << block.heading;
  }
  // Empty lines close the introduction, the author block and the notice.
  for (int slot : {1, 14, 23, 34, 41, 51}) EXPECT_EQ(lines[slot], "") << "line " << slot;
}

TEST_F(NotesPage, ProseLinesAreCleanText) {
  ASSERT_EQ(lines.size(), 53u);
  for (int slot : kProseSlots) {
    const std::string& line = lines[slot];
    SCOPED_TRACE("line " + std::to_string(slot));
    EXPECT_FALSE(line.empty());
    EXPECT_NE(line.front(), ' ');
    EXPECT_NE(line.back(), ' ');
    EXPECT_LE(line.size(), 97u);  // no wider than the fixed prose of the page
  }
}

TEST_F(NotesPage, NoticeSaysFreewarePersonalUseAndNotOfficial) {
  ASSERT_EQ(lines.size(), 53u);
  std::string notice;
  for (int slot = 44; slot <= 50; ++slot) notice += lines[slot] + " ";
  for (const char* point :
       {"freeware", "uso personale", "non \xE8 un documento ufficiale", "possono differire"}) {
    EXPECT_NE(notice.find(point), std::string::npos) << point;
  }
}

}  // namespace
}  // namespace scenario
