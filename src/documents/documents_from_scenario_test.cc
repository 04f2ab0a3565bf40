// The driver's documents of any scenario: the built-in texts give the
// built-in documents but for a listed few lines, and small scenarios give the
// documents kept in testdata/ beside this file, byte for byte.
#include "documents/documents_from_scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "documents/notes_page.h"
#include "documents/slow_order_form.h"
#include "documents/train_sheet.h"
#include "format/scenario_names.h"
#include "reading/warning_ids.h"
#include "system/files.h"
#include "testing/documents.h"

namespace scenario {
namespace {

using testing::split_crlf;

scenario_records compiled(const std::string& line, const std::string& service,
                          const std::string& line_id = "Milano_Lecco",
                          const std::string& train_code = "L5244") {
  scenario_records r;
  r.line_id = line_id;
  r.train_code = train_code;
  const compilation result = compile_scenario(r, 0, line, service);
  EXPECT_TRUE(result.compiled);
  EXPECT_EQ(r.failure_code, 0) << "at " << r.failure_position << " m";
  return r;
}

// A line where the generated document may differ from the built-in one:
// changed (the built-in line `at` is `generated` instead), added (`generated`
// comes before the built-in line `at`) or left out (the built-in line `at`
// has no counterpart).
struct listed_line {
  enum { changed, added, left_out } kind;
  int at;
  std::string generated;
  std::string_view reason;
};

// Walks both documents line by line: every line not listed must be equal,
// every listed one must be what the list says and must differ.
void expect_equal_but(const std::string& built_in, const std::string& generated,
                      const std::vector<listed_line>& listed) {
  const std::vector<std::string> a = split_crlf(built_in), b = split_crlf(generated);
  EXPECT_EQ(generated.substr(generated.size() - 2), "\r\n");
  size_t i = 0, j = 0, next = 0;
  while (i < a.size() || next < listed.size()) {
    if (next < listed.size() && listed[next].at == static_cast<int>(i)) {
      const listed_line& l = listed[next++];
      SCOPED_TRACE("built-in line " + std::to_string(i) + ": " + std::string(l.reason));
      if (l.kind != listed_line::left_out) {
        ASSERT_LT(j, b.size());
        EXPECT_EQ(b[j++], l.generated);
      }
      if (l.kind != listed_line::added) {
        ASSERT_LT(i, a.size());
        EXPECT_NE(a[i], l.generated) << "listed, but not different";
        ++i;
      }
      continue;
    }
    ASSERT_LT(i, a.size()) << "a listed line past the end: " << listed[next].at;
    ASSERT_LT(j, b.size()) << "the generated document ends at built-in line " << i;
    EXPECT_EQ(b[j], a[i]) << "built-in line " << i << ", generated line " << j;
    ++i, ++j;
  }
  EXPECT_EQ(j, b.size()) << "the generated document has more lines";
}

constexpr auto C = listed_line::changed;
constexpr auto A = listed_line::added;
constexpr auto L = listed_line::left_out;
constexpr std::string_view kCase = "the texts write names in capitals";
constexpr std::string_view kReal =
    "the fixed text gives the real-world kilometric point; the texts hold only the metres from "
    "the start, and no kilometric progressive entry";
constexpr std::string_view kLineName =
    "the fixed text gives the line's longer name, which the texts do not hold";

// clang-format off
const std::vector<listed_line> kSheetLines = {
    {C, 4, " |   TRENO n.5244    |                   da: MILANO CENTRALE       |    V120 A    |", kCase},
    {C, 5, " |___________________|                    a: LECCO                 |     125%     |", kCase},
    {C, 17, " | 90  |     | 0.000    |     | MILANO CENTRALE            |     0.25       |     |", kReal},
    {C, 19, " |     |     | 4.000    |     | MILANO GRECO PIRELLI       | 0.29  - 0.30   |     |", kReal},
    {C, 21, " |     |     | 7.100    |     | SESTO SAN GIOVANNI         | 0.33+ - 0.34   |     |", kReal},
    {C, 22, " |     |     |          |     |                            |                |     |",
     "the fixed text's spacer row carries a trailing blank"},
    {C, 23, " | 110 |     | 8.000    |     | Cippo Km 8                 |                |     |",
     "the fixed text gives a passing time at the kilometre post, which the texts do not hold"},
    {C, 25, " |     |     | 11.400   |     | MONZA                      | 0.37+ - 0.38   |     |", kReal},
    {C, 27, " | 120 |     | 13.000   |     | Cippo Km 13                |                |     |",
     "the fixed text gives a passing time at the kilometre post, which the texts do not hold"},
    {C, 29, " |     |     | 19.250   |     | ARCORE                     | 0.43+ - 0.44   |     |", kReal},
    {C, 31, " |     |     | 24.000   |     | CARNATE - USMATE           | 0.48  - 0.49   |     |", kReal},
    {C, 33, " |     |     | 28.000   |     | OSNAGO                     | 0.51+ - 0.52   |     |", kCase},
    {C, 35, " |     |     | 29.000   |     | CERNUSCO - MERATE          | 0.54+ - 0.55   |     |", kCase},
    {C, 37, " |     |     | 33.300   |     | OLGIATE                    | 0.58+ - 0.59   |     |", kReal},
    {C, 39, " |     |     | 36.900   |     | AIRUNO                     | 1.02+ - 1.03   |     |",
     "the fixed text spells the name \"Aiuruno\" and gives the real-world kilometric point"},
    {C, 41, " |     |     | 43.000   |     | CALOLZIOCORTE - OLGINATE   | 1.07+ - 1.08   |     |", kReal},
    {C, 43, " |     |     | 44.900   |     | VERCURAGO                  |                |     |",
     "the texts pass the station without a time; the fixed text gives a passing time and the "
     "real-world kilometric point"},
    {C, 45, " |     |     | 47.200   |     | MAGGIANICO                 | 1.11+ - 1.12   |     |", kReal},
    {A, 47, " | 90  |     | 49.100   |     | Cippo Km 49.1              |                |     |",
     "the texts lower the limit to 90 km/h at 49 100 m; the fixed text leaves that step out"},
    {A, 47, " |     |     |          |     |                            |                |     |",
     "the spacer row of the step"},
    {A, 47, " | 30  |     | 49.800   |     | Cippo Km 49.8              |                |     |",
     "the texts lower the limit to 30 km/h at 49 800 m, the entry into Lecco; the fixed text "
     "leaves that step out"},
    {A, 47, " |     |     |          |     |                            |                |     |",
     "the spacer row of the step"},
    {C, 47, " |     |     | 50.100   |     | LECCO                      |     1.15       |     |",
     "the fixed text writes the 90 km/h of the step at 49 100 m on Lecco's row"},
};

const std::vector<listed_line> kFormLines = {
    {C, 4, "  Linea  Milano - Lecco", kLineName},
    {C, 13, " | 1 |     MONZA - ARCORE         |   13.200   |    30    |   750   |     -      |", kCase},
};

const std::vector<listed_line> kNotesLines = {
    {C, 4, "Linea simulata    : Milano - Lecco", kLineName},
    {C, 5, "tratto simulato   : MILANO CENTRALE - LECCO",
     "the fixed text shortens \"Centrale\" and writes the names in small letters"},
    {C, 6, "Lunghezza percorso: 54.000 M",
     "the fixed text gives the run to Lecco; the texts' route length is 54 000 m"},
    {C, 8, "N\xB0 stazioni       : 14", "the fixed text counts 13 stations; the texts hold 14"},
    {L, 10, "", "the operator of the line is no fact of the texts"},
    {C, 12, "Pendenza massima  : +5%", "the fixed text's line carries a trailing blank"},
    {A, 14, "Segnali           : 21", "the fixed page does not count the signals"},
    {A, 14, "Rallentamenti     : 1", "the fixed page does not count the slowdowns"},
    {A, 14, "Partenza          : 0.25 da MILANO CENTRALE", "the fixed page gives no departure"},
    {A, 14, "Arrivo            : 1.15 a LECCO", "the fixed page gives no arrival"},
};
// clang-format on

// The built-in page's own prose, from "INTRO:" on, as an author's notes file.
std::string built_in_prose() {
  const std::vector<std::string> lines = split_crlf(dati_note());
  std::string prose;
  for (size_t i = 15; i < lines.size(); ++i) prose += lines[i] + "\r\n";
  return prose;
}

TEST(DocumentsFromScenario, BuiltInTextsGiveTheBuiltInDocumentsButForTheListedLines) {
  const scenario_records r = compiled(dati_linea(), dati_treno());
  document_options options;
  options.notes = built_in_prose();
  const scenario_documents d = documents_from_scenario(r, options);
  {
    SCOPED_TRACE("train sheet");
    expect_equal_but(dati_scheda(), d.train_sheet, kSheetLines);
  }
  {
    SCOPED_TRACE("slow order form");
    expect_equal_but(dati_rallentamenti(), d.slow_orders, kFormLines);
  }
  {
    SCOPED_TRACE("notes page");
    expect_equal_but(dati_note(), d.notes, kNotesLines);
  }
  for (const document_warning& w : d.warnings) ADD_FAILURE() << w.id << ": " << w.message;
}

// --- Small scenarios against the documents kept in testdata/ ---

std::string text_of(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text += std::string(line) + "\r\n";
  return text;
}

std::string line_text(std::string_view general = "") {
  return text_of({"[generale]", "lunghezza percorso, 10000", general, "[curve]", "[fine]"});
}

// Three stations 0, 5 000 and 9 000 m, a limit of 100 km/h; `more` holds
// the rest of the service (slowdowns).
std::string service_text(std::string_view stations, std::string_view more = "") {
  return text_of({"[generale]", "numero vetture, 4", "percentuale massa frenata, 110",
                  "orologio, 8 0 0", "[vel_limite]", "velocita, 0, 100", "velocita, 7000, 80",
                  "[stazioni]", stations, more, "[fine]"});
}

constexpr std::string_view kThreeStations =
    "stazione, 0, 2, 400, 0,0,0, 1,1,0, 4,1,1, 1, 8,0,0, ALFA\r\n"
    "stazione, 5000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 60, 8,6,0, BETA\r\n"
    "stazione, 9000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 8,10,0, GAMMA";

// More slowdowns than the form has rows, 1 500 m apart.
std::string many_slowdowns() {
  std::string s = "[rallentamenti]";
  for (int k = 0; k < 27; ++k)
    s += "\r\nrallentamento, " + std::to_string(2700 + 1500 * k) + ", 60, 100, 0, 0, 0";
  return s;
}

struct small_case {
  std::string name;
  std::string line, service;
  document_options options;
  std::vector<document> compared;          // the documents kept in testdata/
  std::vector<std::string_view> warnings;  // the ids, in order
};

std::vector<small_case> small_cases() {
  document_options notes;
  notes.notes =
      "Treno di prova.\n\tRiga con tab, citt\xC3\xA0 e \xE2\x82\xAC;\r\nGy\xC5\x91r\rfine";
  document_options named;
  named.line_name = "Linea di prova";
  named.speed_rank = "V100 B";
  return {
      {"no_slowdown",
       line_text(),
       service_text(kThreeStations),
       {},
       {document::slow_orders, document::notes},
       {}},
      {"many_slowdowns",
       text_of({"[generale]", "lunghezza percorso, 45000", "[fine]"}),
       service_text("stazione, 0, 2, 400, 0,0,0, 1,1,0, 4,1,1, 1, 8,0,0, ALFA\r\n"
                    "stazione, 20000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 60, 8,16,0, BETA\r\n"
                    "stazione, 44000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 8,40,0, GAMMA",
                    many_slowdowns()),
       {},
       {document::slow_orders},
       {}},
      {"slowdown_in_station",
       line_text(),
       service_text(kThreeStations,
                    "[rallentamenti]\r\nrallentamento, 3000, 60, 500, 0, 0, 0\r\n"
                    "rallentamento, 5000, 30, 100, 0, 0, 0"),
       {},
       {document::slow_orders},
       {}},
      {"half_minutes_and_passing",
       line_text(),
       service_text("stazione, 0, 2, 400, 0,0,0, 1,1,0, 4,1,1, 1, 23,58,0, ALFA\r\n"
                    "stazione, 3000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 30, 23,59,0, BETA\r\n"
                    "stazione, 5000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 0, 0,0,0, DELTA\r\n"
                    "stazione, 7000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 90, 0,2,40, GAMMA\r\n"
                    "stazione, 9000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 0,5,45, OMEGA"),
       named,
       {document::train_sheet},
       {}},
      {"long_name",
       line_text(),
       service_text("stazione, 0, 2, 400, 0,0,0, 1,1,0, 4,1,1, 1, 8,0,0, "
                    "SAN GIORGIO DI NOGARO - PORTO NOGARO\r\n"
                    "stazione, 5000, 12, 300, 0,0,0, 1,1,0, 4,1,1, 60, 8,6,0, "
                    "CALOLZIOCORTE - OLGINATE\r\n"
                    "stazione, 9000, 2, 400, 0,0,0, 1,1,0, 4,1,1, 0, 8,10,0, GAMMA",
                    "[rallentamenti]\r\nrallentamento, 3000, 60, 500, 0, 0, 0\r\n"
                    "rallentamento, 7000, 60, 500, 0, 0, 0"),
       {},
       {document::train_sheet, document::slow_orders},
       {warning_id::kNameCut, warning_id::kNameCut, warning_id::kNameCut, warning_id::kNameCut}},
      {"progressives",
       line_text("progressiva chilometrica uno, 0, 100000, 0\r\n"
                 "progressiva chilometrica due, 6000, 109900, 1"),
       service_text(kThreeStations, "[rallentamenti]\r\nrallentamento, 8000, 60, 300, 0, 0, 0"),
       {},
       {document::train_sheet, document::slow_orders},
       {}},
      {"author_notes",
       line_text(),
       service_text(kThreeStations),
       notes,
       {document::notes},
       {warning_id::kEncoding}},
  };
}

std::string_view ending(document which) {
  switch (which) {
    case document::train_sheet:
      return "scheda_treno.txt";
    case document::slow_orders:
      return "rallentamenti.txt";
    case document::notes:
      return "note.txt";
  }
  return {};
}

const std::string& bytes_of(const scenario_documents& d, document which) {
  return which == document::train_sheet   ? d.train_sheet
         : which == document::slow_orders ? d.slow_orders
                                          : d.notes;
}

TEST(DocumentsFromScenario, SmallScenariosGiveTheDocumentsKeptBesideTheTest) {
  for (const small_case& c : small_cases()) {
    SCOPED_TRACE(c.name);
    const scenario_records r = compiled(c.line, c.service, "Prova", "R123");
    const scenario_documents d = documents_from_scenario(r, c.options);
    for (document which : c.compared) {
      const std::string file = std::string(SCENARIO_SOURCE_DIR) + "/src/documents/testdata/" +
                               c.name + "_" + std::string(ending(which));
      SCOPED_TRACE(file);
      const std::string expected = read_whole_file(file);
      const std::vector<std::string> want = split_crlf(expected);
      const std::vector<std::string> got = split_crlf(bytes_of(d, which));
      for (size_t n = 0; n < std::min(want.size(), got.size()); ++n)
        EXPECT_EQ(got[n], want[n]) << "line " << n;
      EXPECT_EQ(got.size(), want.size());
      EXPECT_EQ(bytes_of(d, which), expected);
    }
    std::vector<std::string_view> ids;
    for (const document_warning& w : d.warnings) ids.push_back(w.id);
    EXPECT_EQ(ids, c.warnings);
  }
}

TEST(DocumentsFromScenario, NotesComeInEitherCodePageWithAnyLineEnds) {
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
    std::vector<int32_t> unencodable_on;
  } cases[] = {
      {"uno\r\ndue\nter\rquattro", {"uno", "due", "ter", "quattro"}, {}},
      {"fine\r\n\r\n", {"fine", ""}, {}},
      {"a\tb\t\tc", {"a       b               c"}, {}},
      {"bell\x07 e nul", {"bell  e nul"}, {}},
      {"\xEF\xBB\xBF"
       "citt\xC3\xA0\r\nPlze\xC5\x88\n\xE2\x86\x92 \xC5\x91",
       {"citt\xE0", "Plze?", "? ?"},
       {2, 3, 3}},
      {"citt\xE0 \x80", {"citt\xE0 \x80"}, {}},  // Windows-1252 already
  };
  for (const auto& c : cases) {
    std::vector<document_warning> warnings;
    EXPECT_EQ(notes_lines(c.bytes, warnings), c.lines) << c.bytes;
    std::vector<int32_t> on;
    for (const document_warning& w : warnings) {
      EXPECT_EQ(w.id, warning_id::kEncoding);
      EXPECT_EQ(w.source, document_source::notes);
      on.push_back(w.line.value_or(0));
    }
    EXPECT_EQ(on, c.unencodable_on) << c.bytes;
  }
}

TEST(DocumentsFromScenario, OptionsNameTheLineAndTheTrain) {
  scenario_records r = compiled(line_text(), service_text(kThreeStations), "Val_di_Non", "REG12");
  document_options options;
  const scenario_documents plain = documents_from_scenario(r, options);
  EXPECT_EQ(split_crlf(plain.slow_orders)[4], "  Linea  Val - di - Non");
  EXPECT_NE(plain.train_sheet.find("TRENO n.12 "), std::string::npos);
  EXPECT_TRUE(plain.warnings.empty());
  options.line_name = "Trento \xE2\x80\x93 Mal\xC3\xA8";  // an en dash and an accent
  options.classification = "Regionale\tveloce";
  options.blocked_mass =
      "\xE2\x89\x88"
      "300T";  // no Windows-1252 byte for the sign
  const scenario_documents named = documents_from_scenario(r, options);
  EXPECT_EQ(split_crlf(named.slow_orders)[4], "  Linea  Trento \x96 Mal\xE8");
  EXPECT_EQ(split_crlf(named.notes)[4], "Linea simulata    : Trento \x96 Mal\xE8");
  EXPECT_EQ(split_crlf(named.train_sheet)[9],
            " |     Regionale vel |              |      ?300T        |");
  std::vector<std::string_view> ids;
  for (const document_warning& w : named.warnings) ids.push_back(w.id);
  EXPECT_EQ(ids, (std::vector<std::string_view>{warning_id::kEncoding, warning_id::kNameCut}));
  // A train code of letters alone is its own number.
  r.train_code = "RE";
  EXPECT_NE(documents_from_scenario(r, {}).train_sheet.find("TRENO n.RE "), std::string::npos);
}

}  // namespace
}  // namespace scenario
