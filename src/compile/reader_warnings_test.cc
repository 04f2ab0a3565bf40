// The warnings of both readers: each from a small text, at the field that
// causes it, and none for the built-in texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/explanations.h"
#include "line/line_reader.h"
#include "reading/warning_ids.h"
#include "service/service_reader.h"
#include "testing/compilation_runs.h"
#include "testing/small_texts.h"

namespace scenario {
namespace {

namespace w = warning_id;
using testing::kSignalValues;
using testing::line_text;
using testing::read_texts;
using testing::reading_run;
using testing::service_text;

constexpr source_kind L = source_kind::line_description;
constexpr source_kind S = source_kind::train_service;

struct expected_warning {
  std::string_view id;
  source_kind text;
  int32_t line;
  int32_t column;
};

struct warning_case {
  std::string name;
  std::string line;
  std::string service;
  std::vector<expected_warning> warnings;  // all of them, in the order they are given
  std::string says;                        // part of one of their messages
};

// line_text puts its entries from line 4 on, service_text from line 2 on.
const std::string kNoService = service_text("");

const std::string kFirstStation =
    "stazione, 1000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, MONZA\r\n";

// Values that reach the compiled files, but not as written.
std::vector<warning_case> stored_value_cases() {
  return {
      {"signal time raised to 101",
       line_text(""),
       service_text("segnale, 6050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 30\r\n"),
       {{w::kTempoRaised, S, 2, 43}},
       "tempo 30 is stored as 101"},
      {"signal time without sx 2",
       line_text(""),
       service_text("segnale, 6050, 1, 4, 1, 1, 0, 2, 2, 1, 1, 150\r\n"),
       {{w::kTempoUnused, S, 2, 43}},
       "tempo 150 is not stored: a signal keeps its time only when sx is 2 (this one has sx 1)"},
      {"aspect digit carried into its neighbour",
       line_text(""),
       service_text("segnale, 6050, 2, 4, 1, 1, 0, 2, 15, 1, 1, 0\r\n"),
       {{w::kDigitCarried, S, 2, 34}},
       "d1 15 carries into s1: s1 x 10 + d1 is stored as 55, which reads as s1 5, d1 5"},
      {"right code carried into the left one",
       line_text(""),
       service_text("segnale, 6050, 2, 4, 1, 1, 0, 3, 2, 1, 1, 0\r\n"),
       {{w::kDigitCarried, S, 2, 31}},
       "dx 3 carries into sx"},
      {"both codes carried into the ratio",
       line_text(""),
       service_text("segnale, 6050, 3, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"),
       {{w::kDigitCarried, S, 2, 16}},
       "sx x 3 + dx = 11 carries into rapp: rapp x 10 + sx x 3 + dx is stored as 11, which "
       "reads as rapp 1, sx x 3 + dx 1"},
      {"station type the reader does not tell apart",
       line_text(""),
       service_text("stazione, 1000, 3, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, MONZA\r\n"),
       {{w::kStationTypeUnknown, S, 2, 17}},
       "station type 3 is none the reader tells apart"},
      {"tunnel type the built-in line does not use",
       line_text("montagna, 2000, 3000, 15\r\n"),
       kNoService,
       {{w::kTunnelTypeUnknown, L, 4, 23}},
       "tunnel type 5 is none the built-in line uses"},
      {"tunnel of type 0",
       line_text("montagna, 2000, 3000, 0\r\n"),
       kNoService,
       {{w::kTunnelTypeUnknown, L, 4, 23}},
       "tunnel type 0 marks no tunnel"},
      {"options of the first station cleared",
       line_text(""),
       service_text("stazione, 1000, 2, 400, 0, 1, 1, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, MONZA\r\n"),
       {{w::kStationOptionCleared, S, 2, 28}, {w::kStationOptionCleared, S, 2, 31}},
       "option_d 1 is stored as 0: it is cleared for the first station"},
      {"option_d of a type 7 station cleared",
       line_text(""),
       service_text(kFirstStation +
                    "stazione, 3000, 7, 800, 0, 0, 1, 1, 1, 0, 4, 1, 1, 30, 0, 30, 0, LECCO\r\n"),
       {{w::kStationOptionCleared, S, 3, 31}},
       "cleared for station types 5 to 8 (this one is type 7)"},
      {"option_e of a short station cleared",
       line_text(""),
       service_text(kFirstStation +
                    "stazione, 3000, 2, 400, 0, 1, 0, 1, 1, 0, 4, 1, 1, 30, 0, 30, 0, LECCO\r\n"),
       {{w::kStationOptionCleared, S, 3, 28}},
       "option_e 1 is stored as 0: it is cleared for a station shorter than 600 m (this one is "
       "400 m)"},
  };
}

const std::string kLastStation =
    "stazione, 5000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 40, 0, C\r\n";

// Texts that compile, but that no real run would have.
std::vector<warning_case> plausibility_cases() {
  return {
      {"times running backwards",
       line_text(""),
       service_text(kFirstStation +
                    "stazione, 3000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 20, 0, B\r\n"),
       {{w::kTimesBackwards, S, 3, 56}},
       "the time 0:20:00 of station \"B\" (line 3) is not after 0:25:00 of station \"MONZA\" "
       "(line 2)"},
      {"a stop without a departure time",
       line_text(""),
       service_text(kFirstStation +
                    "stazione, 3000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 0, 0, B\r\n" +
                    kLastStation),
       {{w::kStopWithoutTime, S, 3, 52}},
       "has a stop of 30 s but no departure time"},
      {"a time for a station passed through",
       line_text(""),
       service_text(kFirstStation +
                    "stazione, 3000, 2, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 0, 0, 30, 0, B\r\n" +
                    kLastStation),
       {{w::kTimeWithoutStop, S, 3, 55}},
       "is passed without stopping (stop time 0) but has the time 0:30:00"},
      {"a speed limit of 0 inside the line",
       line_text(""),
       service_text("velocita, 5000, 0\r\n"),
       {{w::kSpeedLimitImplausible, S, 2, 17}},
       "speed limit 0 km/h from 5000 m, inside the line"},
      {"a speed limit above 300 km/h",
       line_text(""),
       service_text("velocita, 5000, 350\r\n"),
       {{w::kSpeedLimitImplausible, S, 2, 17}},
       "speed limit 350 km/h from 5000 m is above the 300 km/h"},
      {"a slowdown faster than the line",
       line_text(""),
       service_text("velocita, 0, 90\r\nrallentamento, 5000, 120, 500, 0, 0, 0\r\n"),
       {{w::kSlowdownAboveLimit, S, 3, 22}},
       "allows 120 km/h, above the line's limit of 90 km/h over it"},
      {"a slowdown over a lower limit than at its start",
       line_text(""),
       service_text("velocita, 0, 90\r\nvelocita, 5200, 40\r\nvelocita, 5500, 90\r\n"
                    "rallentamento, 5000, 60, 500, 0, 0, 0\r\n"),
       {{w::kSlowdownAboveLimit, S, 5, 22}},
       "allows 60 km/h, above the line's limit of 40 km/h over it"},
      {"a slowdown running past the end of the line",
       line_text(""),
       service_text("rallentamento, 9800, 30, 500, 0, 0, 0\r\n"),
       {{w::kSlowdownPastEnd, S, 2, 26}},
       "ends at 10300 m, past the end of the line (10000 m), which leaves it 200 m"},
      {"a signal inside a station",
       line_text(""),
       service_text("stazione, 4000, 4, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 0, 25, 0, A\r\n"
                    "segnale, 3850" +
                    kSignalValues),
       {{w::kSignalInStation, S, 3, 1}},
       "stands inside station \"A\" (line 2), which reaches from 3750 to 4250 m"},
  };
}

std::vector<warning_case> cases() {
  std::vector<warning_case> all = {
      {"misspelt keyword",
       line_text(""),
       service_text("segnae, 6050" + kSignalValues),
       {{w::kUnknownEntry, S, 2, 1}},
       "did you mean \"segnale\""},
      {"general entry after the general section",
       line_text("sfondo uno, 1\r\n"),
       kNoService,
       {{w::kUnknownEntry, L, 4, 1}},
       "read only in the general section"},
      {"entry inside the general section",
       "[generale]\r\nlunghezza percorso, 5000\r\npendenza, 0, 0\r\n[fine]\r\n",
       kNoService,
       {{w::kUnknownEntry, L, 3, 1}},
       "read only after the general section"},
      {"general keyword in capitals",
       "[generale]\r\nlunghezza percorso, 5000\r\nSFONDO UNO, 1\r\n[fine]\r\n",
       kNoService,
       {{w::kUnknownEntry, L, 3, 1}},
       "lower case"},
      {"values left on the line",
       line_text("pendenza, 1000, 5, 7, 8\r\n"),
       kNoService,
       {{w::kExtraValues, L, 4, 20}},
       "\"7\""},
      {"a station without its name",
       line_text("", 54000),
       service_text("stazione, 11400, 12, 400, 0, 0, 0, 1,1,0, 5,1,1, 30, 0,38, 0\r\n"
                    "stazione, 19250, 22, 200, 0, 0, 0, 0,0,0, 4,1,1, 30, 0,44, 0, ARCORE\r\n"),
       {{w::kValuesFromNextLine, S, 2, 1}},
       "line 3"},
      {"general entry given twice",
       "[generale]\r\nlunghezza percorso, 5000\r\nsfondo uno, 1\r\nsfondo uno, 2\r\n[fine]\r\n",
       service_text("sabbia, 300\r\nsabbia, 200\r\n"),
       {{w::kOverridden, L, 4, 1}, {w::kOverridden, S, 3, 1}},
       "line 3"},
      {"gradient kept as its low 8 bits",
       line_text("pendenza, 1000, -150\r\n"),
       kNoService,
       {{w::kValueWrapped, L, 4, 17}},
       "206"},
      {"adhesion kept as its low 8 bits",
       line_text(""),
       service_text("aderenza, 0, 300\r\n"),
       {{w::kValueWrapped, S, 2, 14}},
       "44"},
      {"signal aspect kept as its low 16 bits",
       line_text(""),
       service_text("segnale, 1000, 2, 4000, 1, 1, 0, 2, 2,1,1, 0\r\n"),
       {{w::kValueWrapped, S, 2, 19}},
       "40002"},
      {"speed rounded up",
       line_text(""),
       service_text("velocita, 1000, 123\r\n"),
       {{w::kValueRounded, S, 2, 17}},
       "rounded up"},
      {"board speed rounded",
       line_text("indicatori_vmax, 1000, 90, 90, 90, 0, 12, , , 0\r\n"),
       kNoService,
       {{w::kValueRounded, L, 4, 39}},
       "12 km/h is stored as 10 km/h"},
      {"signal between segments",
       line_text("", 20000),
       service_text("segnale, 11249" + kSignalValues),
       {{w::kPositionSnapped, S, 2, 10}},
       "segment 226, as if written at 11250 m"},
      {"tunnel ends between segments",
       line_text("montagna, 10025, 10975, 1\r\n", 20000),
       kNoService,
       {{w::kPositionSnapped, L, 4, 1}},
       "segments 200 to 218, as if written from 10000 to 10950 m"},
      {"signal in the run-out",
       line_text(""),
       service_text("segnale, 10500" + kSignalValues),
       {{w::kBeyondLineEnd, S, 2, 10}},
       "10000 m"},
      {"speeds out of order",
       line_text(""),
       service_text("velocita, 0, 90\r\nvelocita, 1000, 100\r\nvelocita, 900, 80\r\n"),
       {{w::kOutOfOrder, S, 4, 11}},
       "follows the one at 1000 m"},
      {"gradients at one position",
       line_text("pendenza, 1000, 5\r\npendenza, 1000, 0\r\n"),
       kNoService,
       {{w::kOutOfOrder, L, 5, 11}},
       "repeats"},
      {"overlapping curves",
       line_text("curvas4, 1000, 300\r\ncurvad4, 1200, 300\r\n"),
       kNoService,
       {{w::kCurveShortened, L, 5, 1}},
       "metre 1301, 100 m short"},
      {"curve behind the plan",
       line_text("curvas4, 2000, 300\r\ncurvad4, 1000, 300\r\n"),
       kNoService,
       {{w::kCurveIgnored, L, 5, 1}},
       "draws nothing"},
      {"tunnels joined",
       line_text("montagna, 5000, 5500, 1\r\nmontagna, 5600, 6000, 12\r\n"),
       kNoService,
       {{w::kTunnelJoined, L, 5, 1}},
       "type 3, not 2"},
      {"tunnel written backwards",
       line_text("montagna, 8000, 7000, 1\r\n"),
       kNoService,
       {{w::kTunnelReversed, L, 4, 1}},
       "ends before it starts"},
      {"signal's approach marks over a station's",
       line_text(""),
       service_text("stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"
                    "segnale, 1300" +
                    kSignalValues),
       {{w::kMarkOverwritten, S, 3, 1}},
       "station 1 (ALFA, 1000 m)"},
      {"station's stop mark over a signal",
       line_text(""),
       service_text("segnale, 1100" + kSignalValues +
                    "stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"),
       // Its approach marks fall on two of the signal's, too; and the
       // signal stands inside the station.
       {{w::kMarkOverwritten, S, 3, 1},
        {w::kMarkOverwritten, S, 3, 1},
        {w::kSignalInStation, S, 2, 1}},
       "which held the signal at 1100 m"},
      {"lead-in near the start",
       line_text(""),
       service_text("rallentamento, 1000, 30, 500, 0, 1, 0\r\n"),
       {{w::kLeadInIgnored, S, 2, 34}},
       "1500 m or less"},
      {"slow slowdown within one segment",
       line_text(""),
       service_text("rallentamento, 5000, 30, 10, 0, 0, 0\r\n"),
       {{w::kPositionSnapped, S, 2, 26}, {w::kSlowdownInOneSegment, S, 2, 1}},
       "a code point every 8 segments"},
      {"fast slowdown within one segment",
       line_text(""),
       service_text("rallentamento, 5000, 120, 0, 0, 0, 0\r\n"),
       {{w::kSlowdownInOneSegment, S, 2, 1}},
       "start mark only"},
      {"station name in UTF-8",
       line_text(""),
       service_text("stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, CITT\xC3\x80\r\n"),
       {{w::kEncoding, S, 2, 58}},
       "Windows-1252"},
      {"service text under a misspelt general section line",
       line_text(""),
       "[generali]\r\nstazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, ALFA\r\n"
       "[segnali]\r\nsegnale, 6050" +
           kSignalValues + "segnale, 8050" + kSignalValues + "sabbia, 300\r\n[fine]\r\n",
       {{w::kNoGeneralSection, S, 1, 1}},
       "1 station, 2 signals and 1 other entry are not read; line 1 holds \"[generali]\" (did you "
       "mean \"[generale]\"?)"},
      {"service text without a general section line",
       line_text(""),
       "- timetable of 1 June\r\nvelocita, 0, 90\r\n[fine]\r\n",
       {{w::kNoGeneralSection, S, 1, 1}},
       "no \"[generale]\" line, where its reading begins: 1 speed limit is not read"},
      {"general section line as the text's last field",
       line_text(""),
       "velocita, 0, 90\r\n[generale]",
       {{w::kNoGeneralSection, S, 1, 1}},
       "1 speed limit is not read; the \"[generale]\" on line 2 is the text's last field"},
      {"misspelt section line",
       line_text("[pendenza]\r\npendenza, 0, 0\r\n"),
       kNoService,
       {{w::kMisspeltSection, L, 4, 1}},
       "did you mean \"[pendenze]\""},
      {"stray quote before a station name",
       line_text(""),
       service_text("stazione, 1000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 30, 0,25,0, \"ALFA\r\n"
                    "segnale, 6050" +
                    kSignalValues + "- a note\r\nvelocita, 0, 90\r\n"),
       {{w::kQuoteOverLines, S, 2, 58}},
       "runs over 5 line ends to the end of the text, as no quote closes it: 2 entries there "
       "become part of this field and are not read"},
      {"a quote closed lines later",
       line_text(""),
       service_text("velocita, 0, 90\r\ncartello, \"A\r\nB\"\r\nsabbia, 3\r\n"),
       {{w::kUnknownEntry, S, 3, 1}, {w::kQuoteOverLines, S, 3, 11}},
       "runs over 1 line end to its closing quote on line 4: 0 entries"},
      {"blank as a thousands separator",
       line_text("", 20000),
       service_text("velocita, 13 800, 80\r\n"),
       {{w::kPositionSnapped, S, 2, 11},
        {w::kExtraValues, S, 2, 19},
        {w::kSpeedLimitImplausible, S, 2, 14},
        {w::kSplitNumber, S, 2, 11}},
       "\"13 800\" holds two numbers: 13 is read here and 800 as the next value, for a number "
       "ends at a blank; write 13800 for one number"},
      {"tabs between values",
       line_text(""),
       service_text("sabbia,\t300\t200\r\n"),
       {{w::kExtraValues, S, 2, 13}, {w::kSplitNumber, S, 2, 9}},
       "fields are separated by commas, not tabs"},
      {"semicolons between values",
       line_text(""),
       service_text("velocita; 0; 90\r\nsabbia, 300\r\n"),
       {{w::kValuesFromNextLine, S, 2, 1}},
       "fields are separated by commas, not by \";\" or tabs"},
      {"a note without its dash",
       line_text(""),
       service_text("la stazione di Monza ha due binari\r\nsabbia, 300\r\n"),
       {{w::kValuesFromNextLine, S, 2, 1}},
       "it reads like a note written without its dash"},
  };
  for (const warning_case& c : stored_value_cases()) all.push_back(c);
  for (const warning_case& c : plausibility_cases()) all.push_back(c);
  return all;
}

TEST(ReaderWarningsTest, EachWarningAtItsField) {
  for (const warning_case& c : cases()) {
    SCOPED_TRACE(c.name);
    const reading_run run = read_texts(c.line, c.service);
    const std::vector<reader_warning>& got = run.outcome.warnings;
    ASSERT_EQ(got.size(), c.warnings.size());
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(got[i].message);
      EXPECT_EQ(got[i].id, c.warnings[i].id);
      EXPECT_EQ(got[i].text, c.warnings[i].text);
      EXPECT_EQ(got[i].where, (text_position{c.warnings[i].line, c.warnings[i].column}));
    }
    EXPECT_TRUE(std::any_of(got.begin(), got.end(), [&c](const reader_warning& r) {
      return r.message.find(c.says) != std::string::npos;
    })) << got[0].message;
  }
}

// A value stored differently and an implausible text are told, never a
// failed compilation: the catalogue gives them the level of a warning.
TEST(ReaderWarningsTest, StoredValuesAndPlausibilityAreWarnings) {
  for (const auto& group : {stored_value_cases(), plausibility_cases()})
    for (const warning_case& c : group)
      for (const expected_warning& e : c.warnings) {
        const explanation* found = find_explanation(e.id);
        ASSERT_NE(found, nullptr) << e.id;
        EXPECT_EQ(found->level, severity::warning) << e.id;
      }
}

// Only the limits in force over the slowdown count: not one that ends where
// it starts, nor one that begins where it ends.
TEST(ReaderWarningsTest, ASlowdownBelowTheLimitsOverItIsPlausible) {
  for (const char* limits : {"velocita, 0, 40\r\nvelocita, 5000, 120\r\nvelocita, 5500, 50\r\n",
                             "velocita, 5500, 50\r\nvelocita, 0, 120\r\n"}) {
    const reading_run run =
        read_texts(line_text(""),
                   service_text(std::string(limits) + "rallentamento, 5000, 60, 500, 0, 0, 0\r\n"));
    for (const reader_warning& warning : run.outcome.warnings)
      EXPECT_NE(warning.id, w::kSlowdownAboveLimit) << limits << warning.message;
  }
}

TEST(ReaderWarningsTest, EveryWarningHasACase) {
  std::vector<std::string_view> covered;
  for (const warning_case& c : cases())
    for (const expected_warning& e : c.warnings) covered.push_back(e.id);
  for (std::string_view id : w::kAll)
    EXPECT_NE(std::find(covered.begin(), covered.end(), id), covered.end()) << id;
}

TEST(ReaderWarningsTest, BuiltInTextsCompileWithoutAWarning) {
  for (int32_t geometry : {1, 0}) {
    const reading_run run = read_texts(dati_linea(), dati_treno(), geometry);
    EXPECT_EQ(run.code(), 0);
    for (const reader_warning& warning : run.outcome.warnings)
      ADD_FAILURE() << warning.where.line << ":" << warning.where.column << " [" << warning.id
                    << "] " << warning.message;
  }
}

// A warning only tells: the records come out as they would without it.
TEST(ReaderWarningsTest, AStationShortOfItsNameTakesTheNextKeyword) {
  const reading_run run = read_texts(
      line_text("", 54000),
      service_text("stazione, 11400, 12, 400, 0, 0, 0, 1,1,0, 5,1,1, 30, 0,38, 0\r\n"
                   "stazione, 19250, 22, 200, 0, 0, 0, 0,0,0, 4,1,1, 30, 0,44, 0, ARCORE\r\n"));
  EXPECT_EQ(run.code(), 0);
  EXPECT_EQ(run.records.general_table[1].text, "stazione");
  EXPECT_EQ(run.records.general_table[2], general_entry{});
}

// Every keyword the readers know is read as its entry where it belongs.
TEST(ReaderWarningsTest, EveryListedKeywordIsAnEntry) {
  const std::string general_values = ", 0, 0, 0\r\n";
  for (std::string_view keyword : kLineGeneralKeywords) {
    const std::string text = "[generale]\r\nlunghezza percorso, 5000\r\n" + std::string(keyword) +
                             general_values + "[fine]\r\n";
    const reading_run run = read_texts(text, kNoService);
    for (const reader_warning& warning : run.outcome.warnings)
      EXPECT_NE(warning.id, w::kUnknownEntry) << keyword << ": " << warning.message;
  }
  for (std::string_view keyword : kLineEntryKeywords) {
    const std::string digit = keyword.starts_with("curva") ? "1" : "";
    const reading_run run =
        read_texts(line_text(std::string(keyword) + digit + ", 1000, 1100\r\n"), kNoService);
    for (const reader_warning& warning : run.outcome.warnings)
      EXPECT_NE(warning.id, w::kUnknownEntry) << keyword << ": " << warning.message;
  }
  for (std::string_view keyword : kServiceKeywords) {
    const reading_run run =
        read_texts(line_text(""), service_text(std::string(keyword) + ", 1000, 0\r\n"));
    for (const reader_warning& warning : run.outcome.warnings)
      EXPECT_NE(warning.id, w::kUnknownEntry) << keyword << ": " << warning.message;
  }
}

TEST(ReaderWarningsTest, CommentsAndSectionLinesAreNoEntries) {
  const reading_run run =
      read_texts(line_text("-- a comment\r\n--- another\r\n---- and a third\r\n[montagne]\r\n"),
                 service_text("[stazioni]\r\n-- comment, with a comma\r\n"));
  EXPECT_TRUE(run.outcome.warnings.empty());
}

TEST(ReaderWarningsTest, CurvesPassedOverWithoutARoutePlanAreNoEntries) {
  const reading_run run = read_texts(line_text("curvas4, 1500, 300\r\n"), kNoService, false);
  EXPECT_TRUE(run.outcome.warnings.empty());
}

// A failure names its own cause: what holds a taken segment, which of the
// run-time causes applies, where an entry reaches outside the line.
TEST(ReaderFailureDetailsTest, EachFailureSaysWhatHappened) {
  struct detail_case {
    int32_t code;
    std::string line;
    std::string service;
    std::string detail;
  } cases[] = {
      {6, line_text("indicatori_vmax, 1000, 90,90,90,0,,,,0\r\ncartello indicatore, 1000, A\r\n"),
       kNoService,
       "\"cartello indicatore\" at 1000 m: segment 21 already holds the speed board at 1000 m "
       "(line 4)"},
      {21, line_text("cartello indicatore, 1000, A\r\nindicatori_vmax, 1000, 90,90,90,0,,,,0\r\n"),
       kNoService,
       "\"indicatori_vmax\" at 1000 m: segment 21 already holds the sign board at 1000 m (\"A\") "
       "(line 4)"},
      {7, line_text(""), service_text("segnale, 950" + kSignalValues + "abbattimento, 1000, 3\r\n"),
       "\"abbattimento\" at 1000 m: segment 20 already holds the signal at 950 m (line 2)"},
      {16, line_text("indicatori_vmax, 1000, 90,90,90,0,,,,0\r\n"),
       service_text("segnale, 1000" + kSignalValues),
       "\"segnale\" at 1000 m: segment 21 already holds the speed board at 1000 m (line 4 of the "
       "line description)"},
      {17, line_text(""),
       service_text("segnale, 1800" + kSignalValues + "rallentamento, 3000, 30, 500, 0, 0, 0\r\n"),
       "\"rallentamento\" at 3000 m: its warning point: segment 37 already holds the signal at "
       "1800 m (line 2)"},
      {18, line_text(""),
       service_text("segnale, 3000" + kSignalValues + "rallentamento, 3000, 30, 500, 0, 0, 0\r\n"),
       "its start: segment 61 already holds the signal at 3000 m"},
      {19, line_text(""),
       service_text("segnale, 3500" + kSignalValues + "rallentamento, 3000, 30, 500, 0, 0, 0\r\n"),
       "its end: segment 71 already holds the signal at 3500 m"},
      {20, line_text(""),
       service_text("segnale, 1700" + kSignalValues + "rallentamento, 3000, 30, 500, 0, 1, 0\r\n"),
       "its lead-in, segments 33 to 36: segment 35 already holds the signal at 1700 m"},
      {25, line_text(""), service_text("velocita, 0, 3000\r\nvelocita, 100, 50\r\n"),
       "speed 3000 km/h is out of range"},
      {25, line_text(""), service_text("sabbia, 40000\r\n"),
       "value 40000 does not fit a 16-bit field"},
      {25, line_text(""), service_text("numero vetture, 4x\r\n"), "\"4x\" is not a whole number"},
      // The field as the simulator shows it, in UTF-8: 0xB0 is the degree sign.
      {25, line_text(""), service_text("numero vetture, 4\xB0\r\n"),
       "\"4\xC2\xB0\" is not a whole number"},
      {25, "[generale]\r\n[curve]\r\n[fine]\r\n", kNoService,
       "gives no route length (\"lunghezza percorso\")"},
      {25, line_text(""), "[generale]\r\nvelocita, 100", "read past the end of the text"},
      {25,
       "[generale]\r\nlunghezza percorso, 1000\r\nprogressiva chilometrica uno, 0, 2147483600, "
       "1\r\nprogressiva chilometrica due, 100, 5, 0\r\n[fine]\r\n",
       kNoService, "progressive value 2147483600 with flag 1"},
      {30, line_text(""), service_text("segnale, 100" + kSignalValues),
       "\"segnale\" at 100 m reaches segment -1, outside the line's segments 0 to 340 (a "
       "signal's approach marks need 8 segments behind it, 350 m of line)"},
      {30, line_text("pendenza, -50, 5\r\n"), kNoService,
       "position -50 m lies before the start of the line"},
      {30, line_text("curvas4, 16800, 300\r\n"), kNoService,
       "metre 17001 of the route plan, past its last, 17000"},
      {102,
       "generale\r\nlunghezza percorso, 5000\r\ncurvas4, 100, 100\r\npendenza, 0, 0\r\n[fine]\r\n",
       kNoService,
       "no route length and nothing is compiled: 1 curve, 1 gradient and 1 other entry are not "
       "read; line 1 holds \"generale\" (did you mean \"[generale]\"?)"},
      {15, line_text("pendenza, 0, 0\r\npendenza, 20000, 5\r\n"),
       service_text("segnale, 1000" + kSignalValues),
       "\"segnale\" at 1000 m ends the reading: failure 15 of the line description, its entry at "
       "20000 m on line 5 beyond the end of the line, is still in force"},
  };
  for (const detail_case& c : cases) {
    SCOPED_TRACE(c.detail);
    const reading_run run = read_texts(c.line, c.service);
    EXPECT_EQ(run.code(), c.code) << c.detail;
    EXPECT_NE(run.outcome.detail.find(c.detail), std::string::npos)
        << "expected: " << c.detail << "\n     got: " << run.outcome.detail;
  }
}

// A value stored later than it is read is blamed on its own field.
TEST(ReaderFailureDetailsTest, LateFailuresPointAtTheValue) {
  const reading_run flag = read_texts(
      "[generale]\r\nlunghezza percorso, 1000\r\nprogressiva chilometrica uno, 0, 2147483600, 1\r\n"
      "[fine]\r\n",
      kNoService);
  ASSERT_TRUE(flag.outcome.site.has_value());
  EXPECT_EQ(flag.outcome.site->where, (text_position{3, 34}));
  // Not at the last field searched, "[fine]": at the top, where the line belongs.
  const reading_run no_general =
      read_texts("[generali]\r\nlunghezza percorso, 5000\r\n[fine]\r\n", kNoService);
  EXPECT_EQ(no_general.code(), 102);
  ASSERT_TRUE(no_general.outcome.site.has_value());
  EXPECT_EQ(no_general.outcome.site->where, (text_position{1, 1}));
  const reading_run speed =
      read_texts(line_text(""), service_text("velocita, 0, 3000\r\naderenza, 0, 100\r\n"));
  ASSERT_TRUE(speed.outcome.site.has_value());
  EXPECT_EQ(speed.outcome.site->text, S);
  EXPECT_EQ(speed.outcome.site->where, (text_position{2, 14}));
}

TEST(ExplanationsTest, EveryCodeAndWarningIsExplained) {
  const int32_t codes[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,  12,  13,  15,   16,
                           17, 18, 19, 20, 21, 22, 24, 25, 30, 31, 101, 102, 103, 1250, 1251};
  std::vector<std::string> ids;
  for (int32_t code : codes) ids.push_back(std::to_string(code));
  for (std::string_view id : w::kAll) ids.emplace_back(id);
  for (std::string_view id : w::kDocumentIds) ids.emplace_back(id);
  for (const std::string& id : ids) {
    const explanation* e = find_explanation(id);
    ASSERT_NE(e, nullptr) << id;
    EXPECT_FALSE(e->meaning.empty() || e->causes.empty() || e->fix.empty()) << id;
    EXPECT_EQ(is_numbered(*e), std::isdigit(static_cast<unsigned char>(id[0])) != 0) << id;
    // Only what loses an entry or a text is an error among the readers' ids.
    const bool loss = id == w::kUnknownEntry || id == w::kTunnelReversed ||
                      id == w::kBeyondLineEnd || id == w::kNoGeneralSection ||
                      id == w::kQuoteOverLines || id == w::kSplitNumber;
    EXPECT_EQ(is_loss(*e), loss) << id;
    EXPECT_EQ(e->level == severity::warning, !is_numbered(*e) && !loss) << id;
  }
  EXPECT_EQ(ids.size(), explanations().size());
  EXPECT_EQ(find_explanation("no-such-id"), nullptr);
}

}  // namespace
}  // namespace scenario
