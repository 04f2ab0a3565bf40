#include "tool/lsp/feature_json.h"

#include <gtest/gtest.h>

namespace scenario::tool::lsp {
namespace {

// Line 1 holds an accented letter before the places the answers name, so
// that a column left in bytes or counted in the wrong encoding shows.
const document_text kText("[stazioni]\nstazione, CITT\xC3\x80, 99\n");

json at(int line, int character) { return {{"line", line}, {"character", character}}; }

TEST(FeatureJson, PlacesBecomeTheEditorsPositionsInItsEncoding) {
  const text_range r{{1, 14}, {1, 18}};
  EXPECT_EQ(range_json({kText, position_encoding::utf16}, r),
            json({{"start", at(1, 14)}, {"end", at(1, 18)}}));
  EXPECT_EQ(range_json({kText, position_encoding::utf8}, r),
            json({{"start", at(1, 14)}, {"end", at(1, 19)}}));
  const text_range back =
      range_of({kText, position_encoding::utf8}, {{"start", at(1, 15)}, {"end", at(7, 0)}});
  EXPECT_EQ(back.start.column, 14);
  EXPECT_EQ(back.end.line, 2);
  EXPECT_THROW(range_of({kText, position_encoding::utf8}, {{"start", at(1, 1)}}), json::exception);
}

TEST(FeatureJson, HoverAddsTheExplanationAfterTheFeaturesOwnText) {
  const text_frame f{kText, position_encoding::utf16};
  EXPECT_TRUE(hover_json(f, std::nullopt, "", {}).is_null());
  const json both = hover_json(f, hover_info{"**stazione**", {{1, 0}, {1, 8}}}, "extra", {});
  EXPECT_EQ(both["contents"],
            json({{"kind", "markdown"}, {"value", "**stazione**\n\n---\n\nextra"}}));
  EXPECT_EQ(both["range"]["end"], at(1, 8));
  const json only = hover_json(f, std::nullopt, "why", {{1, 16}, {1, 18}});
  EXPECT_EQ(only["contents"]["value"], "why");
  EXPECT_EQ(only["range"]["start"], at(1, 16));
}

TEST(FeatureJson, CompletionsAreSnippetsAndSignaturesMarkTheActiveField) {
  const json list =
      completion_json({{"stazioni", "section", "", "[stazioni]", completion_item::kind::section},
                       {"stazione", "17 fields", "A station.", "stazione, ${1:position}",
                        completion_item::kind::keyword}});
  ASSERT_EQ(list["items"].size(), 2u);
  EXPECT_EQ(list["items"][0]["kind"], 9);
  EXPECT_EQ(list["items"][1]["kind"], 14);
  EXPECT_EQ(list["items"][1]["insertText"], "stazione, ${1:position}");
  EXPECT_EQ(list["items"][1]["insertTextFormat"], 2);
  EXPECT_EQ(list["items"][1]["documentation"]["value"], "A station.");

  EXPECT_TRUE(signature_help_json(std::nullopt).is_null());
  const json help =
      signature_help_json(signature_info{"stazione, position, type", {"position", "type"}, "", 1});
  EXPECT_EQ(help["activeParameter"], 1);
  EXPECT_EQ(help["signatures"][0]["parameters"][1]["label"], "type");
}

TEST(FeatureJson, SymbolsNestAndTheirWindows1252NamesComeOutAsUtf8) {
  document_symbol station{"CITT\xC0",         "", document_symbol::kind::station, {{1, 0}, {1, 20}},
                          {{1, 10}, {1, 15}}, {}};
  document_symbol section{"stazioni",        "1 entry",         document_symbol::kind::section,
                          {{0, 0}, {1, 20}}, {{0, 0}, {0, 10}}, {station}};
  const json list = document_symbols_json({kText, position_encoding::utf16}, {section});
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]["kind"], 3);
  EXPECT_EQ(list[0]["detail"], "1 entry");
  ASSERT_EQ(list[0]["children"].size(), 1u);
  EXPECT_EQ(list[0]["children"][0]["name"], "CITT\xC3\x80");
  EXPECT_EQ(list[0]["children"][0]["selectionRange"]["end"], at(1, 15));
  // One line is nothing to fold.
  EXPECT_EQ(folding_ranges_json({{0, 3}, {5, 5}}),
            json::array({{{"startLine", 0}, {"endLine", 3}, {"kind", "region"}}}));
}

TEST(FeatureJson, EditsAndQuickFixesCarryUtf8TextAndTheirDiagnostic) {
  const text_frame f{kText, position_encoding::utf8};
  const std::vector<text_edit> edits = {{{{1, 10}, {1, 15}}, "PER\xD9"}};
  EXPECT_EQ(text_edits_json(f, edits),
            json::array({{{"range", {{"start", at(1, 10)}, {"end", at(1, 16)}}},
                          {"newText", "PER\xC3\x99"}}}));
  const json diagnostic = {{"range", {{"start", at(1, 17)}, {"end", at(1, 19)}}},
                           {"code", "extra-values"},
                           {"message", "m"}};
  const json actions =
      code_actions_json(f, "file:///x", {{"drop the value", edits, true}}, diagnostic);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0]["kind"], "quickfix");
  EXPECT_EQ(actions[0]["isPreferred"], true);
  EXPECT_EQ(actions[0]["diagnostics"][0], diagnostic);
  EXPECT_EQ(actions[0]["edit"]["changes"]["file:///x"], text_edits_json(f, edits));

  const diagnostic_ref ref = diagnostic_ref_of(f, diagnostic);
  EXPECT_EQ(ref.id, "extra-values");
  EXPECT_EQ(ref.range.start.column, 16);
  EXPECT_EQ(diagnostic_ref_of(f, {{"range", diagnostic["range"]}, {"code", 25}}).id, "25");
  EXPECT_EQ(inlay_hints_json(f, {{{1, 10}, "name:"}})[0]["position"], at(1, 10));
}

}  // namespace
}  // namespace scenario::tool::lsp
