#include "builtin/text_lines.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {
namespace {

TEST(JoinCrlf, EveryLineIncludingTheLastEndsWithCrLf) {
  struct {
    std::vector<std::string_view> lines;
    std::string_view bytes;
  } const cases[] = {
      {{}, ""},
      {{""}, "\r\n"},
      {{"", ""}, "\r\n\r\n"},
      {{"a"}, "a\r\n"},
      {{"a ", "", " b"}, "a \r\n\r\n b\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(join_crlf(c.lines), c.bytes);
  }
}

TEST(JoinCrlf, CopiesSingleByteTextUntouched) {
  // Windows-1252 bytes must not be re-encoded, and a NUL inside a line is data.
  constexpr std::string_view with_nul("x\0y", 3);
  const std::array<std::string_view, 3> lines = {"Velocit\xE0", "N\xB0 ", with_nul};
  const std::string text = join_crlf(lines);
  EXPECT_EQ(text, std::string("Velocit\xE0\r\nN\xB0 \r\nx\0y\r\n", 20));
}

}  // namespace
}  // namespace scenario
