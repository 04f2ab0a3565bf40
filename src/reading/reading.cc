#include "reading/reading.h"

#include <algorithm>

namespace scenario {
namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<std::string> next_keyword_field(field_reader& fields) {
  if (fields.at_end()) return std::nullopt;
  std::string field = fields.read_text();
  for (int skipped = 0; !fields.at_end() && skipped < 2 && contains(field, "-"); ++skipped)
    field = fields.read_text();
  if (fields.at_end()) return std::nullopt;
  return field;
}

bool contains(std::string_view field, std::string_view what) {
  return field.find(what) != std::string_view::npos;
}

bool contains_ignoring_case(std::string_view field, std::string_view what) {
  auto it = std::search(field.begin(), field.end(), what.begin(), what.end(),
                        [](char a, char b) { return fold(a) == fold(b); });
  return it != field.end() || what.empty();
}

std::string quoted(std::string_view field) {
  constexpr size_t kLongest = 60;
  std::string out = "\"";
  for (size_t i = 0; i < field.size() && i < kLongest; ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (c < 0x20 || c == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  if (field.size() > kLongest) out += "...";
  return out + "\"";
}

}  // namespace scenario
