#include "tool/lsp/document_text.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario::tool::lsp {
namespace {

// "CITTÀ, 1" then a train (U+1F682, no Windows-1252 byte, two UTF-16 units,
// four UTF-8 bytes) then "x".
const std::string kLine = "CITT\xC3\x80, \xF0\x9F\x9A\x82x";

TEST(DocumentText, EveryCharacterIsOneByteAndThoseWithoutOneAreRemembered) {
  const document_text text(
      "a\xE2\x82\xAC"
      "b\r\n" +
      kLine + "\n\xC2\x81");
  EXPECT_EQ(text.bytes(),
            "a\x80"
            "b\r\nCITT\xC0, ?x\n\x81");
  ASSERT_EQ(text.unencodables().size(), 1u);
  EXPECT_EQ(text.unencodables()[0].code_point, 0x1F682u);
  EXPECT_EQ(text.place_at(text.unencodables()[0].offset).column, 7);
  EXPECT_EQ(to_utf8(text.bytes()),
            "a\xE2\x82\xAC"
            "b\r\nCITT\xC3\x80, ?x\n\xC2\x81");
}

TEST(DocumentText, LinesEndAtLineFeedsCarriageReturnsAndBoth) {
  const document_text text("a\r\nb\rc\nd");
  ASSERT_EQ(text.line_count(), 4);
  for (int32_t n = 0; n < 4; ++n)
    EXPECT_EQ(text.line(n), std::string(1, static_cast<char>('a' + n)));
}

struct column_case {
  position_encoding encoding;
  int64_t editor;
  int32_t byte;
};

TEST(DocumentText, ColumnsConvertBothWaysInEitherEncoding) {
  const document_text text("first\n" + kLine);
  const column_case cases[] = {
      {position_encoding::utf16, 4, 4}, {position_encoding::utf16, 5, 5},
      {position_encoding::utf16, 7, 7}, {position_encoding::utf16, 9, 8},
      {position_encoding::utf8, 4, 4},  {position_encoding::utf8, 6, 5},
      {position_encoding::utf8, 8, 7},  {position_encoding::utf8, 12, 8},
  };
  for (const column_case& c : cases) {
    SCOPED_TRACE(c.editor);
    EXPECT_EQ(text.place_of({1, c.editor}, c.encoding).column, c.byte);
    EXPECT_EQ(text.position_of({1, c.byte}, c.encoding).character, c.editor);
  }
  // Inside a character: its start; beyond the line or the text: their end.
  EXPECT_EQ(text.place_of({1, 8}, position_encoding::utf16).column, 7);
  EXPECT_EQ(text.place_of({1, 5}, position_encoding::utf8).column, 4);
  EXPECT_EQ(text.place_of({0, 99}, position_encoding::utf16).column, 5);
  const text_place end = text.place_of({99, 0}, position_encoding::utf16);
  EXPECT_EQ(end.line, 1);
  EXPECT_EQ(end.column, 9);
  EXPECT_EQ(text.place_of({-3, -3}, position_encoding::utf8).column, 0);
}

TEST(DocumentText, ReplacementsKeepTheRememberedCharactersInPlace) {
  document_text text("ab\n" + kLine);
  text.replace({1, 0}, {1, 4}, "\xF0\x9F\x98\x80");  // "CITT" -> an emoji
  EXPECT_EQ(text.line(1), "?\xC0, ?x");
  ASSERT_EQ(text.unencodables().size(), 2u);
  EXPECT_EQ(text.place_at(text.unencodables()[0].offset).column, 0);
  EXPECT_EQ(text.place_at(text.unencodables()[1].offset).column, 4);
  text.replace({0, 1}, {1, 1}, "Z\nY");  // across lines
  EXPECT_EQ(text.bytes(), "aZ\nY\xC0, ?x");
  ASSERT_EQ(text.unencodables().size(), 1u);
  EXPECT_EQ(text.position_of({1, 5}, position_encoding::utf16).character, 6);
  text.replace({1, 4}, {1, 5}, "");
  EXPECT_TRUE(text.unencodables().empty());
}

}  // namespace
}  // namespace scenario::tool::lsp
