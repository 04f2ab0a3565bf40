// Mistakes in the fields themselves: a stray quote that swallows lines, a
// number split by a blank, separators that are not commas, a note without its
// dash; and failures pointed at the one field that causes them.  None of the
// texts this project writes makes any of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "builtin/annotated_texts.h"
#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/explanations.h"
#include "compile/failure_messages.h"
#include "reading/warning_ids.h"
#include "testing/compilation_runs.h"
#include "testing/scenario_texts.h"
#include "testing/small_texts.h"

namespace scenario {
namespace {

namespace w = warning_id;
using testing::kSignalValues;
using testing::kStationValues;
using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

const std::string_view kNewIds[] = {w::kQuoteOverLines, w::kSplitNumber};

std::vector<std::string> new_diagnostics(const reading_run& run) {
  std::vector<std::string> found;
  for (const reader_warning& warning : run.outcome.warnings)
    if (std::find(std::begin(kNewIds), std::end(kNewIds), warning.id) != std::end(kNewIds))
      found.push_back(std::to_string(warning.where.line) + ":" +
                      std::to_string(warning.where.column) + " [" + std::string(warning.id) + "] " +
                      warning.message);
  return found;
}

// A numbered failure now stands at the field that causes it.
TEST(FieldMistakesTest, StationFailuresPointAtTheirField) {
  const std::string line = line_text("", 20000);
  const std::string no_service = service_text("");
  struct failure_case {
    std::string line;
    std::string service;
    int32_t code;
    text_position where;
    std::string detail;
  } cases[] = {
      {line, service_text("stazione, 14 600" + kStationValues + "ALFA\r\n"), 8, {2, 11}, ""},
      {line, service_text("stazione, 1010" + kStationValues + "ALFA\r\n"), 8, {2, 11}, ""},
      {line,
       service_text("stazione, 1000, 2, 450, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"),
       9,
       {2, 20},
       ""},
      {line,
       service_text("stazione, 1000" + kStationValues + "ALFA\r\nstazione, 1400" + kStationValues +
                    "BETA\r\n"),
       22,
       {3, 11},
       "the previous station 1 (\"ALFA\", 1000 m) ends at 1200 m and this one begins at 1200 m: "
       "a gap of 0 m where 350 m are needed"},
      {"[generale]\r\nlunghezza percorso, 1200000\r\n[fine]\r\n", no_service, 1, {2, 21}, ""},
      {"[generale]\r\nlunghezza percorso, 20000\r\nripetizione segnali 4 codici, 120, 5000\r\n"
       "[fine]\r\n",
       no_service,
       3,
       {3, 31},
       ""},
      {"[generale]\r\nlunghezza percorso, 20000\r\nripetizione segnali 4 codici, 100, 5010\r\n"
       "[fine]\r\n",
       no_service,
       4,
       {3, 36},
       ""},
  };
  for (const failure_case& c : cases) {
    SCOPED_TRACE(c.line + c.service);
    const reading_run run = read_texts(c.line, c.service);
    EXPECT_EQ(run.code(), c.code);
    ASSERT_TRUE(run.outcome.site.has_value());
    EXPECT_EQ(run.outcome.site->where, c.where);
    EXPECT_NE(run.outcome.detail.find(c.detail), std::string::npos) << run.outcome.detail;
  }
}

// Each entry's first value, and the value that sets how far it reaches, is
// the field a failure of that value points at: an entry past the end of the
// line (15), before its start or reaching outside the arrays (30), a station
// ending too near the start (24), a misaligned progressive (2), a route plan
// drawn too far (103).  A line of 10 000 m holds positions up to 16 900 m.
TEST(FieldMistakesTest, FailuresOfOneValuePointAtIt) {
  constexpr source_kind L = source_kind::line_description;
  constexpr source_kind S = source_kind::train_service;
  const std::string no_service = service_text("");
  const std::string plain_line = line_text("");
  auto general = [](const std::string& entries) {
    return "[generale]\r\nlunghezza percorso, 10000\r\n" + entries + "[curve]\r\n[fine]\r\n";
  };
  const std::string beyond = "entry beyond the end of the line";
  struct failure_case {
    std::string line;
    std::string service;
    int32_t code;
    failure_site site;
    std::string message;  // exactly as the author is told
    std::optional<failure_site> cause = std::nullopt;
  } cases[] = {
      // Past the end of the line, one case for every kind of entry.
      {line_text("pendenza, 16950, 5\r\n"), no_service, 15, {L, {4, 11}}, beyond},
      {line_text("curvad3, 16950, 100\r\n"), no_service, 15, {L, {4, 10}}, beyond},
      {line_text("montagna, 16950, 17000, 1\r\n"), no_service, 15, {L, {4, 11}}, beyond},
      {line_text("indicatori_vmax, 16950, 90,90,90,0,,,,0\r\n"),
       no_service,
       15,
       {L, {4, 18}},
       beyond},
      {line_text("cartello indicatore, 16950, ALT\r\n"), no_service, 15, {L, {4, 22}}, beyond},
      {plain_line, service_text("velocita, 16950, 90\r\n"), 15, {S, {2, 11}}, beyond},
      {plain_line, service_text("aderenza, 16950, 100\r\n"), 15, {S, {2, 11}}, beyond},
      {plain_line, service_text("segnale, 16950" + kSignalValues), 15, {S, {2, 10}}, beyond},
      {plain_line,
       service_text("rallentamento, 16950, 30, 500, 0, 0, 0\r\n"),
       15,
       {S, {2, 16}},
       beyond},
      {plain_line, service_text("abbattimento, 16950, 1\r\n"), 15, {S, {2, 15}}, beyond},
      // A station needs 800 m after its position.
      {plain_line,
       service_text("stazione, 16300" + kStationValues + "ALFA\r\n"),
       15,
       {S, {2, 11}},
       beyond},
      // A failure 15 of the line description ends the reading at the first
      // signal, its cause still at the gradient's position.
      {line_text("pendenza, 16950, 5\r\n"),
       service_text("segnale, 1000" + kSignalValues),
       15,
       {S, {2, 1}},
       "\"segnale\" at 1000 m ends the reading: failure 15 of the line description, its entry "
       "at 16950 m on line 4 beyond the end of the line, is still in force",
       failure_site{L, {4, 11}}},
      // Before the start of the line, or reaching outside the arrays.
      {line_text("pendenza, -50, 5\r\n"),
       no_service,
       30,
       {L, {4, 11}},
       "position -50 m lies before the start of the line"},
      {plain_line,
       service_text("velocita, -100, 90\r\n"),
       30,
       {S, {2, 11}},
       "position -100 m lies before the start of the line"},
      {plain_line,
       service_text("segnale, 100" + kSignalValues),
       30,
       {S, {2, 10}},
       "\"segnale\" at 100 m reaches segment -1, outside the line's segments 0 to 340 (a "
       "signal's approach marks need 8 segments behind it, 350 m of line)"},
      {line_text("montagna, 16000, 20000, 1\r\n"),
       no_service,
       30,
       {L, {4, 18}},
       "\"montagna\" at 16000 m reaches segment 341, outside the line's segments 0 to 340"},
      {line_text("curvad3, 16000, 5000\r\n"),
       no_service,
       30,
       {L, {4, 17}},
       "\"curvad3\" at 16000 m reaches metre 17001 of the route plan, past its last, 17000"},
      {plain_line,
       service_text("rallentamento, 16000, 30, 5000, 0, 0, 0\r\n"),
       30,
       {S, {2, 27}},
       "\"rallentamento\" at 16000 m reaches segment 421, outside the line's segments 0 to 340"},
      {plain_line,
       service_text("stazione, 16000, 2, 4000, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"),
       30,
       {S, {2, 21}},
       "\"stazione\" at 16000 m reaches segment 358, outside the line's segments 0 to 340"},
      // A station's end comes from its position.
      {plain_line,
       service_text("stazione, 0, 2, 100, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"),
       24,
       {S, {2, 11}},
       "\"stazione\" ends within the first 100 m of the line"},
      // The progressive's misaligned field; a flag adding 100 leaves it so;
      // an entry a later one replaced is not the one at fault.
      {general("progressiva chilometrica uno, 120, 0, 0\r\n"),
       no_service,
       2,
       {L, {3, 31}},
       "a \"progressiva chilometrica\" position or value is not a multiple of 50"},
      {general("progressiva chilometrica uno, 100, 1010, 1\r\n"),
       no_service,
       2,
       {L, {3, 36}},
       "a \"progressiva chilometrica\" position or value is not a multiple of 50"},
      {general("progressiva chilometrica uno, 120, 0, 0\r\nprogressiva chilometrica uno, 100, 0, "
               "0\r\nprogressiva chilometrica due, 200, 30, 0\r\n"),
       no_service,
       2,
       {L, {5, 36}},
       "a \"progressiva chilometrica\" position or value is not a multiple of 50"},
      // The route plan ends at metre 1 000 000: drawn past it by the straight
      // run up to a curve's start, or by the curve itself.
      {line_text("curvad3, 1000500, 100\r\n", 1'000'000),
       no_service,
       103,
       {L, {4, 10}},
       "curve (\"curva\") without a class digit 1 to 6, or the route plan passed 1 000 000 m"},
      {line_text("curvad3, 999000, 2000\r\n", 1'000'000),
       no_service,
       103,
       {L, {4, 18}},
       "curve (\"curva\") without a class digit 1 to 6, or the route plan passed 1 000 000 m"},
  };
  for (const failure_case& c : cases) {
    SCOPED_TRACE(c.line + c.service);
    const reading_run run = read_texts(c.line, c.service);
    EXPECT_EQ(run.code(), c.code);
    EXPECT_EQ(run.outcome.site, c.site);
    EXPECT_EQ(run.outcome.cause, c.cause);
    const std::string message =
        run.outcome.detail.empty() ? std::string(failure_meaning(run.code())) : run.outcome.detail;
    EXPECT_EQ(message, c.message);
  }
}

// The blanks of the clock line separate its numbers by design.
TEST(FieldMistakesTest, TheClockLineIsNoSplitNumber) {
  const reading_run run = read_texts(line_text(""), service_text("orologio, 8 30 15\r\n"));
  EXPECT_EQ(run.code(), 0);
  EXPECT_TRUE(new_diagnostics(run).empty());
  // Right after it, a split number is one again.
  const reading_run after =
      read_texts(line_text(""), service_text("orologio, 8 30 15\r\nsabbia, 3 00\r\n"));
  ASSERT_EQ(new_diagnostics(after).size(), 1u);
  EXPECT_EQ(new_diagnostics(after)[0].rfind("3:9 [split-number]", 0), 0u);
}

TEST(FieldMistakesTest, TheTextsThisProjectWritesMakeNone) {
  std::vector<std::pair<std::string, reading_run>> runs;
  runs.emplace_back("built-in", read_texts(dati_linea(), dati_treno()));
  runs.emplace_back("annotated template", read_texts(tool::annotated_line_description(),
                                                     tool::annotated_train_service()));
  for (uint64_t seed = 0; seed < 200; ++seed) {
    const testing::scenario_texts t = testing::varied_texts(seed);
    runs.emplace_back("varied " + std::to_string(seed),
                      read_texts(t.line_description, t.train_service));
  }
  for (const auto& [name, run] : runs)
    for (const std::string& found : new_diagnostics(run)) ADD_FAILURE() << name << ": " << found;
}

TEST(FieldMistakesTest, EachIsALossWithItsExplanation) {
  for (std::string_view id : kNewIds) {
    const explanation* e = find_explanation(id);
    ASSERT_NE(e, nullptr) << id;
    EXPECT_TRUE(is_loss(*e)) << id;
    EXPECT_FALSE(e->example.empty()) << id;
  }
}

}  // namespace
}  // namespace scenario
