#include <gtest/gtest.h>

#include <algorithm>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "tool/lsp/features.h"
#include "tool/lsp/features/feature_testing.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

std::string replaced(std::string text, std::string_view from, std::string_view to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Every fix, applied, makes its warning go away where it stood and leaves
// the rest of the text compiling as before.
TEST(CodeActions, ApplyingTheFixRemovesItsWarning) {
  const struct {
    text_kind which;
    std::string from, to;  // the fault put into the built-in text
    std::string id;
    std::string expected_line;  // the faulty line once fixed; empty: the line moved
  } cases[] = {
      {text_kind::line_description, "[pendenze]", "[pendenza]", "misspelt-section", "[pendenze]"},
      {text_kind::train_service, "[generale]", "[generalle]", "no-general-section", "[generale]"},
      {text_kind::line_description, "pendenza,  24000", "pendenzza,  24000", "unknown-entry",
       "pendenza,  24000,   5"},
      {text_kind::train_service, "segnale,    1450", "segnale,    1475", "position-snapped",
       "segnale,    1450,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
      {text_kind::line_description, "pendenza,  24000", "pendenza,  24010", "position-snapped",
       "pendenza,  24000,   5"},
      {text_kind::line_description, "montagna,   34300,  34800", "montagna,   34310,  34790",
       "position-snapped", "montagna,   34300,  34800,  2"},
      {text_kind::train_service, "13200,    30,  750", "13200,    30,  755", "position-snapped",
       "rallentamento,   13200,    30,  750, 0,  1,  30"},
      {text_kind::line_description, "montagna,   34300,  34800", "montagna,   34800,  34300",
       "tunnel-reversed", "montagna,   34300,  34800,  2"},
      {text_kind::line_description, "pendenza,  30000,   0", "pendenza,  20000,   0",
       "out-of-order", ""},
      {text_kind::train_service, "aderenza,   0,    100", "aderenza,   0,    300", "value-wrapped",
       "aderenza,   0,    255"},
      {text_kind::line_description, "24000,   5", "24000,   200", "value-wrapped",
       "pendenza,  24000,   155"},
      {text_kind::line_description, "34800,  2", "34800,  300", "value-wrapped",
       "montagna,   34300,  34800,  265"},
      {text_kind::train_service, "13200,    30", "13200,    70000", "value-wrapped",
       "rallentamento,   13200,    32767,  750, 0,  1,  30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    const bool line_text = c.which == text_kind::line_description;
    const std::string line = line_text ? replaced(dati_linea(), c.from, c.to) : dati_linea();
    const std::string service = line_text ? dati_treno() : replaced(dati_treno(), c.from, c.to);
    const testing::compiled_pair before = testing::compiled(line, service);
    const auto warning = std::find_if(before.warnings.begin(), before.warnings.end(),
                                      [&](const reader_warning& w) { return w.id == c.id; });
    ASSERT_NE(warning, before.warnings.end());
    const text_place place{warning->where.line - 1, warning->where.column - 1};
    const diagnostic_ref d{c.id, {place, {place.line, place.column + 1}}, warning->message};
    const std::vector<code_action> actions = code_actions({line, service}, c.which, d);
    ASSERT_EQ(actions.size(), 1u);
    const std::string fixed = testing::applied(line_text ? line : service, actions[0].edits);
    const testing::compiled_pair after =
        testing::compiled(line_text ? fixed : line, line_text ? service : fixed);
    for (const reader_warning& w : after.warnings)
      EXPECT_FALSE(w.id == c.id && w.where.line == warning->where.line) << w.message;
    const std::string_view fixed_line = line_of(fixed, place.line);
    if (c.expected_line.empty())  // moved before the entry it followed
      EXPECT_EQ(line_of(fixed, place.line - 1).substr(0, 16), "pendenza,  20000");
    else
      EXPECT_EQ(fixed_line, c.expected_line);
  }
}

}  // namespace
}  // namespace scenario::tool::lsp

namespace scenario::tool::lsp {
namespace {

// A fix is offered only where it is plain: a repeated position gives no
// order to move to, a value that fits has nothing to change, and a warning
// with no fix of its own gets none.
TEST(CodeActions, NoneWhereTheFixIsNotPlain) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 5000\r\n[pendenze]\r\n"
      "pendenza, 1000, 0\r\npendenza, 1000, 5\r\n[montagne]\r\n"
      "montagna, 100, 200, 1\r\n[fine]\r\n";
  const struct {
    std::string id;
    text_place at;
    std::string message;
  } cases[] = {
      {"out-of-order", {4, 10}, "repeats"}, {"value-wrapped", {6, 20}, ""},
      {"tunnel-joined", {6, 0}, ""},        {"unknown-entry", {3, 0}, "no suggestion here"},
      {"position-snapped", {6, 0}, ""},     {"position-snapped", {40, 0}, ""},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(
        code_actions({line, ""}, text_kind::line_description, {c.id, {c.at, c.at}, c.message})
            .empty())
        << c.id;
}

}  // namespace
}  // namespace scenario::tool::lsp
