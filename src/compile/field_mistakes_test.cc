// Mistakes in the fields themselves: a stray quote that swallows lines, a
// number split by a blank, separators that are not commas, a note without its
// dash; and failures pointed at the one field that causes them.  None of the
// texts this project writes makes any of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "builtin/annotated_texts.h"
#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/explanations.h"
#include "reading/warning_ids.h"
#include "testing/compilation_runs.h"
#include "testing/scenario_texts.h"

namespace scenario {
namespace {

namespace w = warning_id;
using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

const std::string kSignal = ", 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n";
const std::string kStation = ", 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ";

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
      {line, service_text("stazione, 14 600" + kStation + "ALFA\r\n"), 8, {2, 11}, ""},
      {line, service_text("stazione, 1010" + kStation + "ALFA\r\n"), 8, {2, 11}, ""},
      {line,
       service_text("stazione, 1000, 2, 450, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"),
       9,
       {2, 20},
       ""},
      {line,
       service_text("stazione, 1000" + kStation + "ALFA\r\nstazione, 1400" + kStation + "BETA\r\n"),
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
