#include "line/reading.h"

#include <algorithm>

namespace scenario {
namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool contains(std::string_view field, std::string_view what) {
  return field.find(what) != std::string_view::npos;
}

bool contains_ignoring_case(std::string_view field, std::string_view what) {
  auto it = std::search(field.begin(), field.end(), what.begin(), what.end(),
                        [](char a, char b) { return fold(a) == fold(b); });
  return it != field.end() || what.empty();
}

}  // namespace scenario
