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

}  // namespace scenario
