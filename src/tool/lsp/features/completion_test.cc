#include <gtest/gtest.h>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp {
namespace {

std::vector<std::string> labels(const std::vector<completion_item>& items) {
  std::vector<std::string> l;
  for (const completion_item& i : items) l.push_back(i.label);
  return l;
}

TEST(Completion, OffersWhatTheSectionInForceHolds) {
  const std::string service =
      "[generale]\nnum\n[segnali]\n\nsegnale, 1450\n[my own]\n  \n[fine]\n\n[";
  const std::string line = "[generale]\n\n[curve]\ncu\n";
  const struct {
    text_kind which;
    std::string_view text;
    text_place at;
    std::vector<std::string> expected;
  } cases[] = {
      {text_kind::train_service,
       service,
       {1, 3},
       {"numero vetture", "percentuale massa frenata", "sabbia", "orologio"}},
      {text_kind::train_service, service, {3, 0}, {"segnale"}},
      {text_kind::train_service,
       service,
       {6, 2},
       {"aderenza", "velocita", "stazione", "rallentamento", "segnale", "abbattimento"}},
      {text_kind::train_service, service, {8, 0}, {}},
      {text_kind::train_service, service, {4, 10}, {}},  // inside a value
      {text_kind::train_service,
       service,
       {9, 1},
       {"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]", "[rallentamenti]", "[segnali]",
        "[codici]", "[fine]"}},
      {text_kind::line_description, line, {3, 2}, {"curvas", "curvad"}},
      {text_kind::line_description,
       line,
       {1, 0},
       {"lunghezza percorso", "progressiva chilometrica uno", "progressiva chilometrica due",
        "progressiva chilometrica tre", "sfondo uno", "sfondo due", "sfondo tre",
        "ripetizione segnali 4 codici"}},
  };
  for (const auto& c : cases) {
    const text_pair texts =
        c.which == text_kind::line_description ? text_pair{c.text, {}} : text_pair{{}, c.text};
    EXPECT_EQ(labels(completion(texts, c.which, c.at)), c.expected)
        << c.at.line << ":" << c.at.column;
  }
}

TEST(Completion, SnippetsNameEveryFieldInOrder) {
  const std::string service = "[rallentamenti]\n\n";
  const std::vector<completion_item> items =
      completion({{}, service}, text_kind::train_service, {1, 0});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].snippet,
            "rallentamento,  ${1:x}, ${2:v}, ${3:l}, ${4:f_tt}, ${5:f_ta}, ${6:d_v}");
  EXPECT_EQ(items[0].detail, "x, v, l, f_tt, f_ta, d_v");
  EXPECT_EQ(items[0].what, completion_item::kind::keyword);
  const std::vector<completion_item> clock =
      completion({{}, "[generale]\n"}, text_kind::train_service, {1, 0});
  ASSERT_EQ(clock.size(), 4u);
  EXPECT_EQ(clock[3].snippet, "orologio,  ${1:hours}  ${2:minutes}  ${3:seconds}");
}

TEST(Signature, TheActiveFieldIsTheOneThePlaceIsIn) {
  const std::string service =
      "segnale,    1450,   2, 4\norologio,    0   24   30\nstazione\n- a note, 3\n";
  const struct {
    text_place at;
    std::optional<int> active;
  } cases[] = {
      {{0, 3}, std::nullopt}, {{0, 8}, 0},  {{0, 14}, 0}, {{0, 17}, 1}, {{0, 22}, 2},
      {{0, 24}, 2},           {{1, 13}, 0}, {{1, 19}, 1}, {{1, 24}, 2}, {{2, 4}, std::nullopt},
      {{3, 9}, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<signature_info> s =
        signature_help({{}, service}, text_kind::train_service, c.at);
    ASSERT_EQ(s.has_value(), c.active.has_value()) << c.at.line << ":" << c.at.column;
    if (s) {
      EXPECT_EQ(s->active_parameter, *c.active) << c.at.line << ":" << c.at.column;
    }
  }
  const std::optional<signature_info> s =
      signature_help({{}, service}, text_kind::train_service, {0, 17});
  ASSERT_TRUE(s);
  EXPECT_EQ(s->label, "segnale, posizione (m), sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo (s)");
  ASSERT_EQ(s->parameters.size(), 11u);
  EXPECT_EQ(s->parameters[0], "posizione (m)");
}

TEST(InlayHints, NameEachValueOfTheEntriesInTheRange) {
  const std::string line = dati_linea();
  const std::vector<inlay_hint> hints =
      inlay_hints(line, text_kind::line_description, {{33, 0}, {34, 40}});
  ASSERT_EQ(hints.size(), 3u);
  EXPECT_EQ(hints[0].at, (text_place{34, 12}));
  EXPECT_EQ(hints[0].label, "start:");
  EXPECT_EQ(hints[1].at, (text_place{34, 20}));
  EXPECT_EQ(hints[1].label, "end:");
  EXPECT_EQ(hints[2].label, "type:");
  EXPECT_TRUE(inlay_hints(line, text_kind::line_description, {{500, 0}, {600, 0}}).empty());
  // The end of the range is not in it.
  EXPECT_EQ(inlay_hints(line, text_kind::line_description, {{34, 13}, {35, 12}}).size(), 2u);
}

}  // namespace
}  // namespace scenario::tool::lsp
