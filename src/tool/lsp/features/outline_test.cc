#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp {
namespace {

using symbol_kind = document_symbol::kind;

TEST(DocumentSymbols, SectionsHoldStationsSignalsSlowdownsAndTunnels) {
  const std::vector<document_symbol> service =
      document_symbols(dati_treno(), text_kind::train_service);
  std::vector<std::string> names;
  for (const document_symbol& s : service) names.push_back(s.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                      "[rallentamenti]", "[segnali]", "[codici]", "[fine]"}));
  ASSERT_EQ(service[3].children.size(), 14u);
  EXPECT_EQ(service[3].children[0].name, "MILANO CENTRALE");
  EXPECT_EQ(service[3].children[0].what, symbol_kind::station);
  EXPECT_EQ(service[3].range, (text_range{{13, 0}, {27, 77}}));
  ASSERT_EQ(service[4].children.size(), 1u);
  EXPECT_EQ(service[4].children[0].name, "rallentamento 13200 m");
  ASSERT_EQ(service[5].children.size(), 21u);
  EXPECT_EQ(service[5].children[20].name, "segnale 48900 m");
  EXPECT_EQ(service[5].children[20].range, (text_range{{51, 0}, {51, 51}}));
  EXPECT_TRUE(service[0].children.empty());

  const std::vector<document_symbol> line =
      document_symbols(dati_linea(), text_kind::line_description);
  ASSERT_EQ(line.size(), 7u);
  ASSERT_EQ(line[3].children.size(), 3u);
  EXPECT_EQ(line[3].children[1].name, "montagna 43500-44250 m");
  EXPECT_EQ(line[3].children[1].what, symbol_kind::tunnel);
  EXPECT_EQ(line[3].children[1].selection, (text_range{{35, 12}, {35, 29}}));
}

TEST(FoldingRanges, OnePerSectionOverItsEntries) {
  const std::vector<folding_range> ranges = folding_ranges(dati_linea());
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {0, 8}, {9, 26}, {27, 32}, {33, 36}, {37, 41}};
  ASSERT_EQ(ranges.size(), expected.size());
  for (size_t i = 0; i < ranges.size(); ++i) {
    EXPECT_EQ(ranges[i].start_line, expected[i].first);
    EXPECT_EQ(ranges[i].end_line, expected[i].second);
  }
  // Blank lines and notes at the end of a section are not folded with it.
  const std::vector<folding_range> noted =
      folding_ranges("[a]\nx, 1\n\n- note\n[b]\n\n[c]\ny, 2\n");
  ASSERT_EQ(noted.size(), 2u);
  EXPECT_EQ(noted[0].end_line, 3);
  EXPECT_EQ(noted[1].start_line, 6);
}

}  // namespace
}  // namespace scenario::tool::lsp
