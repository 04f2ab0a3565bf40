#include "system/terminal_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace scenario {
namespace {

TEST(Printable, EscapesWhatATerminalWouldActOn) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain text, line\n", "plain text, line\n"},
      {"\x1B[2J\x1B]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
      {"forged\rerror: line", "forged\\x0Derror: line"},
      {std::string("nul\0tab\tdel\x7F", 12), "nul\\x00tab\\x09del\\x7F"},
      {"Citt\xC3\xA0 \xE2\x82\xAC \xF0\x9F\x9A\x86", "Citt\xC3\xA0 \xE2\x82\xAC \xF0\x9F\x9A\x86"},
      {"\xC2\x9B"
       "31m",
       "\\xC2\\x9B31m"},  // CSI as a UTF-8 C1 control
      {"\x9B"
       "31m \xE0",
       "\\x9B31m \\xE0"},                                       // Windows-1252 bytes, not UTF-8
      {"\xC0\xAF \xED\xA0\x80", "\\xC0\\xAF \\xED\\xA0\\x80"},  // overlong, surrogate
      {"\xE2\x82", "\\xE2\\x82"},                               // cut short at the end
      {"\xE2\x82x", "\\xE2\\x82x"},
  };
  for (const auto& [bytes, shown] : cases) EXPECT_EQ(printable(bytes), shown) << shown;
}

TEST(Printable, AStreamEscapesAcrossItsWrites) {
  std::ostringstream target;
  {
    printable_stream out(target);
    // A character split over two writes passes whole; a control byte split
    // from its sequence is still caught.
    out << "a\xE2"
        << "\x82\xAC" << '\x1B' << "[0m"
        << "\xC2";
    out.flush();
    out << "\x9B"
        << "\xF0\x9F";
  }
  EXPECT_EQ(target.str(), "a\xE2\x82\xAC\\x1B[0m\\xC2\\x9B\\xF0\\x9F");
}

// With colours kept, only whole colour settings pass; every other
// sequence, and a setting cut short, is escaped as before.
TEST(Printable, AColourStreamPassesOnlyColourSettings) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1B[1;31merror:\x1B[0m x", "\x1B[1;31merror:\x1B[0m x"},
      {"\x1B[2J", "\\x1B[2J"},
      {"\x1B]0;title\x07", "\\x1B]0;title\\x07"},
      {"\x1B[1;31", "\\x1B[1;31"},
      {"\x1B[11111111111111111m", "\\x1B[11111111111111111m"},
  };
  for (const auto& [bytes, shown] : cases) {
    std::ostringstream target;
    {
      printable_stream out(target, true);
      out << bytes;
    }
    EXPECT_EQ(target.str(), shown) << shown;
  }
  std::ostringstream plain;
  {
    printable_stream out(plain);
    out << "\x1B[1m";
  }
  EXPECT_EQ(plain.str(), "\\x1B[1m");
}

// Runs of plain bytes pass at once, yet the output is byte for byte that of
// the encoder fed one byte at a time, however the input is cut.
TEST(Printable, RunsGiveWhatSingleBytesGive) {
  static const std::string kPieces[] = {
      "ab",   " ",    "\n",       "\r",   "\t",       "\x1B", "[",        "1;31",
      "m",    "\x7F", "\xC3\xA0", "\xC3", "\xE2\x82", "\xAC", "\xC2\x9B", "\xF0\x9F\x9A\x86",
      "\xFF", "~"};
  std::mt19937 random(26);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1), cut(0, 6);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    for (int n = 0; n < 12; ++n) bytes += kPieces[piece(random)];
    for (bool line_ends : {false, true}) {
      for (bool colours : {false, true}) {
        printable_encoder one_by_one(line_ends, colours), in_runs(line_ends, colours);
        std::string expected, got;
        for (char c : bytes) one_by_one.put(static_cast<unsigned char>(c), expected);
        for (size_t at = 0; at < bytes.size();) {
          const size_t n = std::min(cut(random), bytes.size() - at);
          in_runs.put_all(std::string_view(bytes).substr(at, n), got);
          at += n;
        }
        one_by_one.finish(expected);
        in_runs.finish(got);
        ASSERT_EQ(got, expected) << printable(bytes);
      }
    }
  }
}

TEST(Shortened, KeepsBothEndsOfALongText) {
  EXPECT_EQ(shortened("short", 10), "short");
  EXPECT_EQ(shortened(std::string(10, 'x'), 10), std::string(10, 'x'));
  const std::string field = "\"" + std::string(10'000'000, '7') + "km\" is not a whole number";
  const std::string s = shortened(field);
  EXPECT_LT(s.size(), kQuotedBytes + 40);
  EXPECT_EQ(s.rfind("\"777", 0), 0u) << s;
  EXPECT_NE(s.find("[" + std::to_string(field.size() - kQuotedBytes) + " bytes left out]"),
            std::string::npos)
      << s;
  const std::string end = "km\" is not a whole number";
  EXPECT_EQ(s.substr(s.size() - end.size()), end) << s;
}

// A cut at a byte limit that falls inside a character of two, three or
// four bytes moves back to the character's start; bytes that are not UTF-8
// are characters of their own.
TEST(WholeCharacters, NeverEndInsideACharacter) {
  struct cut_case {
    std::string text;
    std::size_t max;
    std::string kept;
  } cases[] = {
      {"Citt\xC3\xA0", 5, "Citt"},          // à: 2 bytes, cut after the first
      {"Citt\xC3\xA0", 6, "Citt\xC3\xA0"},  // whole
      {"ab\xE2\x82\xAC", 3, "ab"},          // €: 3 bytes, cut after the first
      {"ab\xE2\x82\xAC", 4, "ab"},          // ... after the second
      {"ab\xE2\x82\xAC"
       "c",
       5, "ab\xE2\x82\xAC"},                    // between characters
      {"a\xF0\x9F\x9A\x82", 4, "a"},            // a 4-byte train
      {"ab\xA9\xA9\xA9\xA9", 4, "ab\xA9\xA9"},  // stray continuation bytes
      {"ab\xC3", 2, "ab"},
      {"", 0, ""},
  };
  for (const cut_case& c : cases) {
    SCOPED_TRACE(printable(c.text) + " at " + std::to_string(c.max));
    EXPECT_EQ(whole_characters(c.text, c.max), c.kept);
  }
  EXPECT_TRUE(is_well_formed_utf8("Citt\xC3\xA0 \xE2\x82\xAC \xF0\x9F\x9A\x82"));
  for (const char* bad : {"Citt\xE0", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xC0\xAF", "\xA9"})
    EXPECT_FALSE(is_well_formed_utf8(bad)) << printable(bad);
}

TEST(Shortened, CutsOnlyBetweenWholeCharacters) {
  // The head keeps 2/3 of the 30 bytes, 20; the tail the last 10.  Each
  // text puts a character across one of the two cuts.
  for (const std::string& c : {std::string("\xC3\xA0"), std::string("\xE2\x82\xAC")}) {
    for (std::size_t shift = 0; shift < c.size(); ++shift) {
      const std::string text =
          std::string(19 - shift, 'a') + c + std::string(40, 'b') + c + std::string(9, 'z');
      SCOPED_TRACE(printable(text));
      const std::string s = shortened(text, 30);
      EXPECT_TRUE(is_well_formed_utf8(s)) << s;
      EXPECT_EQ(s.find("\\x"), std::string::npos) << s;
      const std::size_t mark = s.find('[');
      ASSERT_NE(mark, std::string::npos);
      const std::string left_out = s.substr(mark + 1, s.find(' ', mark) - mark - 1);
      const std::size_t kept = s.size() - (s.find(']') - mark + 1);
      EXPECT_EQ(std::stoul(left_out) + kept, text.size()) << s;
    }
  }
}

}  // namespace
}  // namespace scenario
