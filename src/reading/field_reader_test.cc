#include "reading/field_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario {
namespace {

std::vector<std::string> texts_until_end(std::string_view text) {
  field_reader r(text);
  std::vector<std::string> out;
  while (!r.at_end()) out.push_back(r.read_text());
  return out;
}

TEST(FieldReaderTest, TextFieldsEndAtCommasAndLineEnds) {
  struct {
    std::string_view text;
    std::vector<std::string> fields;
  } cases[] = {
      {"a,b\r\nc\r\n", {"a", "b", "c"}},
      {"  lunghezza percorso ,  54000\n", {"lunghezza percorso", "54000"}},
      {"a\rb\n\n\r\nc", {"a", "b", "c"}},         // lone CR, lone LF, empty lines
      {"a,\r\nb\r\n", {"a", "b"}},                // no empty field after a final comma
      {"a,,b\r\n", {"a", "", "b"}},               // two commas make one
      {"\"x, y\" dropped,z\r\n", {"x, y", "z"}},  // quoted, rest dropped
      {"\"two\r\nlines\"\r\n", {"two\r\nlines"}},
      {"\"open", {"open"}},
      {"\tx\t,y", {"x", "y"}},
  };
  for (const auto& c : cases) EXPECT_EQ(texts_until_end(c.text), c.fields) << c.text;
}

TEST(FieldReaderTest, NumbersAcceptSignsZerosAndEmptyFields) {
  field_reader r("12, -7 ,+3,,0042,  \r\n5   6\t7 \r\n");
  EXPECT_EQ(r.read_number(), 12);
  EXPECT_EQ(r.read_number(), -7);
  EXPECT_EQ(r.read_number(), 3);
  EXPECT_EQ(r.read_number(), 0);
  EXPECT_EQ(r.read_number(), 42);
  EXPECT_EQ(
      r.read_number(),
      5);  // a comma ending a line leaves no empty field  // blank-separated, as the clock line
  EXPECT_EQ(r.read_number(), 6);
  EXPECT_EQ(r.read_number(), 7);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReaderTest, MalformedNumbersAndReadsPastTheEndFail) {
  for (std::string_view text : {"1.5", "abc", "-", "+", "12x", "0x10"}) {
    field_reader r(text);
    EXPECT_THROW(r.read_number(), reading_failure) << text;
  }
  field_reader empty("");
  EXPECT_THROW(empty.read_text(), reading_failure);
  field_reader consumed("a\r\n");
  consumed.read_text();
  EXPECT_THROW(consumed.read_number(), reading_failure);
}

TEST(FieldReaderTest, OnlyBlanksLeftReadsAnEmptyFieldAndReachesTheEnd) {
  field_reader r("a\r\n  \r\n");
  EXPECT_EQ(r.read_text(), "a");
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_number(), 0);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReaderTest, WidthsAreChecked) {
  field_reader r("255,256,-32768,32768,2147483647,2147483648,99999999999999999999999");
  EXPECT_EQ(r.read_u8(), 255);
  EXPECT_THROW(r.read_u8(), reading_failure);
  EXPECT_EQ(r.read_i16(), -32768);
  EXPECT_THROW(r.read_i16(), reading_failure);
  EXPECT_EQ(r.read_i32(), 2147483647);
  EXPECT_THROW(r.read_i32(), reading_failure);
  EXPECT_THROW(r.read_i32(), reading_failure);
}

TEST(FieldReaderTest, FieldsKnowWhereTheyBegan) {
  field_reader r("[generale]\r\n  lunghezza,\r\n\r\n   x1\r\n\"q\r\nq\", 7");
  r.read_text();
  EXPECT_EQ(r.field_start(), (text_position{1, 1}));
  r.read_text();
  EXPECT_EQ(r.field_start(), (text_position{2, 3}));
  EXPECT_THROW(r.read_number(), reading_failure);
  try {
    field_reader bad("a,\r\n  x1");
    bad.read_text();
    bad.read_number();
    FAIL();
  } catch (const reading_failure& f) {
    EXPECT_EQ(f.where, (text_position{2, 3}));
  }
  field_reader quoted("\"q\r\nq\", 7");
  quoted.read_text();
  EXPECT_EQ(quoted.read_number(), 7);
  EXPECT_EQ(quoted.field_start(), (text_position{2, 5}));
}

TEST(FieldReaderTest, FieldsKnowWhetherTheyBeginALine) {
  field_reader r("a, b\r\n\r\n  c,\r\n\"q\r\nq\", d\n5 6\n");
  std::vector<bool> starts;
  for (int i = 0; i < 5; ++i) {
    r.read_text();
    starts.push_back(r.field_starts_line());
  }
  // a, b, c, the quoted field, d: the line ends inside the quotes start no line.
  EXPECT_EQ(starts, (std::vector<bool>{true, false, true, true, false}));
  r.read_number();
  EXPECT_TRUE(r.field_starts_line());
  r.read_number();
  EXPECT_FALSE(r.field_starts_line());
}

// A slip is noted about a field, never changes what is read.
TEST(FieldReaderTest, SlipsAreNotedAndTheFieldsReadAsEver) {
  struct slip_case {
    std::string text;
    bool clock;  // read as the clock line, whose numbers are apart by blanks
    std::vector<int64_t> numbers;
    std::vector<text_position> slips;
  } cases[] = {
      {"13 800, 80\n", false, {13, 800, 80}, {{1, 1}}},
      {"13 800, 80\n", true, {13, 800, 80}, {}},
      {"7\t8\n", false, {7, 8}, {{1, 1}}},
      {"7 x\n", false, {7}, {}},
      {"7 ,8\n", false, {7, 8}, {}},
      {"-7 8\n", false, {-7, 8}, {{1, 1}}},
  };
  for (const slip_case& c : cases) {
    SCOPED_TRACE(c.text);
    field_reader r(c.text);
    r.numbers_separated_by_blanks(c.clock);
    std::vector<int64_t> numbers;
    for (size_t i = 0; i < c.numbers.size(); ++i) numbers.push_back(r.read_number());
    EXPECT_EQ(numbers, c.numbers);
    std::vector<text_position> slips;
    for (const field_slip& slip : r.take_slips()) slips.push_back(slip.where);
    EXPECT_EQ(slips, c.slips);
    EXPECT_TRUE(r.take_slips().empty());
  }
  field_reader quote("a, \"q\r\nb, 1\r\n- c, 2\r\nd\", 7\r\ne, \"f\", 8\r\n");
  quote.read_text();
  EXPECT_EQ(quote.read_text(), "q\r\nb, 1\r\n- c, 2\r\nd");
  EXPECT_EQ(quote.read_number(), 7);
  quote.read_text();
  EXPECT_EQ(quote.read_text(), "f");
  const std::vector<field_slip> slips = quote.take_slips();
  ASSERT_EQ(slips.size(), 1u);
  EXPECT_EQ(slips[0].where, (text_position{1, 4}));
  EXPECT_NE(slips[0].message.find("3 line ends to its closing quote on line 4: 1 entry"),
            std::string::npos)
      << slips[0].message;
}

}  // namespace
}  // namespace scenario
