#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp {
namespace {

TEST(Hover, TellsTheFieldItsMeaningAndTheValueAsStored) {
  const std::string line = dati_linea(), service = dati_treno();
  const std::string made_up =
      "[generale]\nsabbia, 300\n[aderenze]\naderenza, 0, 300\n[vel_limite]\nvelocita, 0, 92\n"
      "[segnali]\nsegnale, 1475, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0\n";
  const struct {
    text_kind which;
    std::string_view text;
    text_place at;
    text_range range;
    std::vector<std::string> holds;
  } cases[] = {
      {text_kind::train_service,
       service,
       {31, 14},
       {{31, 12}, {31, 16}},
       {"**segnale**, field `posizione` (m)",
        "Value 1450. Lands on segment 30 (covering 1500-1550 m); "
        "an author writes 1450 m for that segment."}},
      {text_kind::train_service,
       made_up,
       {7, 9},
       {{7, 9}, {7, 13}},
       {"Lands on segment 30", "writes 1450 m for that segment: 1475 m is rounded to it."}},
      {text_kind::train_service,
       made_up,
       {3, 14},
       {{3, 13}, {3, 16}},
       {"field `value`", "Value 300. Stored as 44 (wrapped: it does not fit)."}},
      {text_kind::train_service,
       made_up,
       {5, 14},
       {{5, 13}, {5, 15}},
       {"(km/h)", "Value 92. Stored as 90 (rounded to its 5 km/h step)."}},
      {text_kind::train_service,
       made_up,
       {1, 8},
       {{1, 8}, {1, 11}},
       {"**sabbia**, field `amount`", "Value 300, stored as written."}},
      {text_kind::train_service,
       service,
       {29, 33},
       {{29, 32}, {29, 35}},
       {"field `l` (m)", "Value 750. Not kept itself: it places the entry's end."}},
      {text_kind::line_description,
       line,
       {34, 22},
       {{34, 20}, {34, 25}},
       {"**montagna**, field `end` (m)", "segment 695 (covering 34750-34800 m)",
        "writes 34800 m for that segment."}},
      {text_kind::line_description,
       "montagna, 100, 200, 300",
       {0, 20},
       {{0, 20}, {0, 23}},
       {"Value 300. Stored as 44 (wrapped: it does not fit)."}},
      // The keyword: the entry's fields in order.
      {text_kind::train_service,
       service,
       {29, 3},
       {{29, 0}, {29, 13}},
       {"**rallentamento**: A slowdown.", "- `x` (m): ", "- `d_v`: "}},
      {text_kind::line_description,
       line,
       {27, 4},
       {{27, 0}, {27, 10}},
       {"**[pendenze]**: The gradient profile."}},
      {text_kind::train_service,
       service,
       {14, 80},
       {{14, 72}, {14, 87}},
       {"field `name`: The station's name"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.at.line) + ":" + std::to_string(c.at.column));
    const text_pair texts =
        c.which == text_kind::line_description ? text_pair{c.text, {}} : text_pair{{}, c.text};
    const std::optional<hover_info> h = hover(texts, c.which, c.at);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->range, c.range);
    for (const std::string& part : c.holds)
      EXPECT_NE(h->markdown.find(part), std::string::npos) << h->markdown;
  }
}

TEST(Hover, NothingOffAValueOrAnEntry) {
  const std::string text = "- a note, 12\n[segnali]\nsegnale,   1450\nnonsense, 3\n";
  for (const text_place at : {text_place{0, 3}, text_place{0, 11}, text_place{2, 9},
                              text_place{3, 10}, text_place{9, 0}, text_place{2, 400}})
    EXPECT_FALSE(hover({{}, text}, text_kind::train_service, at).has_value())
        << at.line << ":" << at.column;
}

}  // namespace
}  // namespace scenario::tool::lsp
