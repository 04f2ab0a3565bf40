#include "builtin/text_lines.h"

namespace scenario {

std::string join_crlf(std::span<const std::string_view> lines) {
  std::size_t size = 0;
  for (std::string_view line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

}  // namespace scenario
