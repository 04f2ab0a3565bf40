#include "tool/report/line_index.h"

#include <algorithm>

namespace scenario::tool {
namespace {

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// Where the line that starts at `begin` ends: at its CR or LF, or at the
// end of the text.
size_t line_end(std::string_view text, size_t begin) {
  const auto end = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(begin), text.end(),
                                [](char c) { return is_line_end(c); });
  return static_cast<size_t>(end - text.begin());
}

// Where the line after the one ending at `end` begins.
size_t next_begin(std::string_view text, size_t end) {
  return end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
}

}  // namespace

line_index::line_index(std::string_view text) : text_(text) {
  marks_.push_back({1, 0});
  int32_t line = 1;
  size_t begin = 0;
  size_t next_stretch = kStride;
  for (size_t end = line_end(text, 0); end < text.size(); end = line_end(text, begin)) {
    begin = next_begin(text, end);
    ++line;
    if (begin >= next_stretch) {
      marks_.push_back({line, begin});
      next_stretch = (begin / kStride + 1) * kStride;
    }
  }
}

std::optional<std::string_view> line_index::line(int32_t number) const {
  if (number < 1) return std::nullopt;
  const auto after = std::upper_bound(marks_.begin(), marks_.end(), number,
                                      [](int32_t n, const mark& m) { return n < m.line; });
  const mark& from = *std::prev(after);
  size_t begin = from.begin;
  for (int32_t n = from.line; n < number; ++n) {
    const size_t end = line_end(text_, begin);
    if (end == text_.size()) return std::nullopt;
    begin = next_begin(text_, end);
  }
  return text_.substr(begin, line_end(text_, begin) - begin);
}

}  // namespace scenario::tool
