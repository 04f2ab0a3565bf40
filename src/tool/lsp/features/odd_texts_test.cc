// Every feature on texts an author has half typed: no place, however odd,
// makes one fail, and what they return stays inside the text.
#include <gtest/gtest.h>

#include "reading/warning_ids.h"
#include "tool/lsp/features.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

const std::string kOddTexts[] = {
    "",
    "\n",
    "\r\n\r\n",
    "[",
    ",,,",
    "segnale",
    "segnale,",
    "segnale, 99999999999999999999999, -9223372036854775808, +, -",
    "stazione, \"never closed\n, 1, 2\nsegnale, \"",
    "montagna, 9223372036854775807, -9223372036854775807, 300\n",
    "pendenza, 10, 0\npendenza, 5, 0",
    "orologio,\t1\t\t2  3  4 5,6\n",
    "[generale]\ncartello indicatore, 1, \"a, b\", c\n[fine]",
};

bool inside(std::string_view text, text_place p) {
  const std::string_view line = line_of(text, p.line);
  return p.line >= 0 && p.column >= 0 && static_cast<size_t>(p.column) <= line.size();
}

TEST(OddTexts, NoPlaceMakesAFeatureFail) {
  for (const std::string& text : kOddTexts) {
    SCOPED_TRACE(text);
    for (text_kind which : {text_kind::line_description, text_kind::train_service}) {
      const text_pair pair{text, text};
      const int32_t lines = static_cast<int32_t>(split_lines(text).size());
      for (int32_t n = -1; n <= lines; ++n) {
        for (int32_t c = -1; c <= static_cast<int32_t>(line_of(text, n).size()) + 1; ++c) {
          if (const std::optional<hover_info> h = hover(pair, which, {n, c})) {
            EXPECT_TRUE(inside(text, h->range.start) && inside(text, h->range.end));
          }
          completion(pair, which, {n, c});
          signature_help(pair, which, {n, c});
          for (std::string_view id : warning_id::kAll)
            for (const code_action& a : code_actions(
                     pair, which, {std::string(id), {{n, c}, {n, c}}, "did you mean \"x\"?"}))
              for (const text_edit& e : a.edits)
                EXPECT_TRUE(inside(text, e.range.start) && inside(text, e.range.end)) << id;
        }
      }
      for (const text_edit& e : format(text, which, std::nullopt))
        EXPECT_TRUE(inside(text, e.range.start) && inside(text, e.range.end));
      for (const inlay_hint& h : inlay_hints(text, which, {{-5, -5}, {lines + 5, 0}}))
        EXPECT_TRUE(inside(text, h.at));
      for (const document_symbol& s : document_symbols(text, which))
        EXPECT_TRUE(inside(text, s.range.start) && inside(text, s.range.end));
      for (const folding_range& f : folding_ranges(text)) EXPECT_LT(f.start_line, f.end_line);
    }
  }
}

}  // namespace
}  // namespace scenario::tool::lsp
