// The index finds every line as a reading from the top of the text finds
// it, whatever the line ends and wherever its marks fall.
#include "tool/report/line_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace scenario::tool {
namespace {

// The lines as the readers count them, found the plain way.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  for (;;) {
    size_t end = begin;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.push_back(text.substr(begin, end - begin));
    if (end == text.size()) return lines;
    begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

void expect_same_lines(const std::string& text) {
  const std::vector<std::string_view> expected = lines_of(text);
  const line_index index(text);
  const auto count = static_cast<int32_t>(expected.size());
  for (int32_t n = 1; n <= count; ++n)
    ASSERT_EQ(index.line(n), expected[static_cast<size_t>(n - 1)]) << "line " << n;
  EXPECT_EQ(index.line(count + 1), std::nullopt);
  EXPECT_EQ(index.line(0), std::nullopt);
}

TEST(LineIndex, FindsEveryLineOfSmallTexts) {
  for (const char* text : {"", "a", "a\n", "a\r\nb", "a\rb\r", "\n\n\r\r\n", "\r\n\r\n",
                           "one,1\r\ntwo,2\nthree\rfour"})
    expect_same_lines(text);
}

TEST(LineIndex, FindsEveryLineOfLongTextsWithAnyLineEnds) {
  std::mt19937 random(26);
  const std::string ends[] = {"\n", "\r\n", "\r", "\n\r"};
  for (int round = 0; round < 20; ++round) {
    std::string text;
    // Lines short and long, so that the marks fall within lines, on their
    // starts and between the CR and LF of a line end.
    std::uniform_int_distribution<int> length(0, round % 2 == 0 ? 40 : 9000), end(0, 3);
    while (text.size() < 60'000) {
      text.append(static_cast<size_t>(length(random)), 'x');
      text += ends[end(random)];
    }
    expect_same_lines(text);
  }
}

}  // namespace
}  // namespace scenario::tool
