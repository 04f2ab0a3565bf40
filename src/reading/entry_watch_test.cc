// The suggestion for a misspelt keyword is the one the whole edit distance
// gives, though the search stops weighing a keyword once it cannot win.
#include "reading/entry_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace scenario {
namespace {

size_t plain_distance(std::string_view a, std::string_view b) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j)
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1)});
  return d[a.size()][b.size()];
}

// The rule closest_word keeps: the first of the nearest, if one slip in a
// short word or about one in four in a longer one.
std::string_view plain_closest(std::string_view word, const std::vector<std::string_view>& all) {
  std::string_view best;
  size_t best_distance = 0;
  for (std::string_view c : all) {
    const size_t d = plain_distance(word, c);
    if (best.empty() || d < best_distance) best = c, best_distance = d;
  }
  const size_t allowed = std::max<size_t>(1, std::min(word.size(), best.size()) / 4);
  return best_distance > 0 && best_distance <= allowed ? best : std::string_view();
}

TEST(ClosestWord, SuggestsWhatTheWholeDistanceSuggests) {
  const std::vector<std::string_view> keywords = {
      "segnale",  "stazione",        "rallentamento", "velocita", "aderenza",
      "curvas1",  "curvad2",         "pendenza",      "galleria", "fine",
      "orologio", "indicatori_vmax", "[generale]",    "sabbia",   "numero vetture"};
  std::mt19937 random(26);
  std::uniform_int_distribution<size_t> pick(0, keywords.size() - 1), slips(0, 5), length(0, 40);
  std::uniform_int_distribution<int> letter('a', 'z'), kind(0, 2);
  for (int round = 0; round < 20000; ++round) {
    std::string word;
    if (round % 5 == 0) {
      for (size_t n = length(random); n > 0; --n) word += static_cast<char>(letter(random));
    } else {
      word = keywords[pick(random)];
      for (size_t n = slips(random); n > 0; --n) {
        const size_t at = word.empty() ? 0 : random() % word.size();
        const char c = static_cast<char>(letter(random));
        switch (kind(random)) {
          case 0:
            word.insert(at, 1, c);
            break;
          case 1:
            if (!word.empty()) word.erase(at, 1);
            break;
          default:
            if (!word.empty()) word[at] = static_cast<char>(c - 'a' + 'A');
        }
      }
    }
    ASSERT_EQ(closest_word(word, keywords), plain_closest(word, keywords)) << word;
  }
}

}  // namespace
}  // namespace scenario
