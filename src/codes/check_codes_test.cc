#include "codes/check_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace scenario {
namespace {

general_table_t table_with(const std::string& train_code, const std::string& line_id) {
  general_table_t table{};
  table[kSlotSignallingAndTrain].text = train_code;
  table[kSlotSceneryAndLine].text = line_id;
  return table;
}

TEST(CheckCodeTest, KnownIdentifiersGiveKnownCodes) {
  const struct {
    const char* train_code;
    const char* line_id;
    int16_t plain;
    int32_t weighted;
  } cases[] = {
      {"L5244", "Milano_Lecco", 2356, 32155},
      {"Milano_Lecco", "L5244", 2356, 29670},
      {"", "", 2583, 34355},
      {"l5244", "milano_lecco", 2356, 32155},
      {"L5244", "MILANO_LECCO", 2356, 32155},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.train_code) + "/" + c.line_id);
    const general_table_t table = table_with(c.train_code, c.line_id);
    EXPECT_EQ(codice_gara_og(table), c.plain);
    EXPECT_EQ(codice_gara_st(table), c.weighted);
  }
}

TEST(CheckCodeTest, CodesComeFromTheTableTextsOnly) {
  general_table_t table = table_with("L5244", "Milano_Lecco");
  table[0].text = "Z";
  table[80].text = "ZZZZ";
  table[kSlotSceneryAndLine].number_a = 610;
  EXPECT_EQ(codice_gara_og(table), 2356);
  EXPECT_EQ(codice_gara_st(table), 32155);
}

TEST(CheckCodeTest, OnlyTwentyFiveCharactersCount) {
  // 5 + 20 characters fill the counted span exactly.
  const general_table_t base = table_with("L5244", "Milano_Lecco_Central");
  const general_table_t longer = table_with("L5244", "Milano_Lecco_CentralXYZ");
  const general_table_t last_changed = table_with("L5244", "Milano_Lecco_CentraX");
  EXPECT_EQ(codice_gara_og(base), codice_gara_og(longer));
  EXPECT_EQ(codice_gara_st(base), codice_gara_st(longer));
  // 'x' - 'l' = 12 at position 25.
  EXPECT_EQ(codice_gara_og(last_changed) - codice_gara_og(base), 12);
  EXPECT_EQ(codice_gara_st(last_changed) - codice_gara_st(base), 12 * 25);
}

TEST(CheckCodeTest, FillerTakesPartOnlyUpToTwentyFiveCharacters) {
  // One character of train code: the filler gives the other 24.
  const general_table_t a = table_with("a", "");
  const general_table_t empty = table_with("", "");
  // "a" + "aabbcc..." against "aabbcc...": every filler character moves one
  // place on, and the 25th filler character ('o') drops out.
  EXPECT_EQ(codice_gara_og(a) - codice_gara_og(empty), 'a' - 'o');
}

TEST(CheckCodeTest, WindowsCapitalsCountAsTheirSmallLetters) {
  const struct {
    std::string capital;
    std::string small;
  } cases[] = {{"\xC0", "\xE0"}, {"\xDE", "\xFE"}, {"\x8A", "\x9A"}, {"\x9F", "\xFF"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.capital[0])));
    EXPECT_EQ(codice_gara_og(table_with(c.capital, "Lecco")),
              codice_gara_og(table_with(c.small, "Lecco")));
    EXPECT_EQ(codice_gara_st(table_with("L5244", c.capital)),
              codice_gara_st(table_with("L5244", c.small)));
  }
  // The character code counts as an unsigned byte: 0xE0 is 224, not -32.
  EXPECT_EQ(codice_gara_og(table_with("\xC0", "")) - codice_gara_og(table_with("o", "")),
            224 - 'o');
  // The multiplication sign has no small letter.
  EXPECT_NE(codice_gara_og(table_with("\xD7", "")), codice_gara_og(table_with("\xF7", "")));
}

TEST(CheckCodeTest, LowerCp1252FoldsOnlyWindowsLetters) {
  const struct {
    unsigned char in, out;
  } cases[] = {
      {'A', 'a'},   {'Z', 'z'},   {'a', 'a'},   {'@', '@'},   {'[', '['},   {'5', '5'},
      {'_', '_'},   {0xC0, 0xE0}, {0xD6, 0xF6}, {0xD7, 0xD7}, {0xD8, 0xF8}, {0xDE, 0xFE},
      {0xDF, 0xDF}, {0xBF, 0xBF}, {0xE0, 0xE0}, {0xF7, 0xF7}, {0xFF, 0xFF}, {0x8A, 0x9A},
      {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0x8B, 0x8B}, {0x8D, 0x8D}, {0x8F, 0x8F},
      {0x9A, 0x9A}, {0x80, 0x80}, {0x00, 0x00}, {0x7F, 0x7F},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.in));
    const std::string in(1, static_cast<char>(c.in));
    EXPECT_EQ(lower_cp1252(in), std::string(1, static_cast<char>(c.out)));
  }
  EXPECT_EQ(lower_cp1252("L5244Milano_LECCO"), "l5244milano_lecco");
  EXPECT_EQ(lower_cp1252(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(CheckCodeTest, LowerCp1252IsSettledAfterOnePass) {
  for (int b = 0; b < 256; ++b) {
    const std::string once = lower_cp1252(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(once.size(), 1u);
    EXPECT_EQ(lower_cp1252(once), once) << "byte " << b;
  }
}

}  // namespace
}  // namespace scenario
