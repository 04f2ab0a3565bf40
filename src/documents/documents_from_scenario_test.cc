// The driver's documents of any scenario: the built-in texts give the
// built-in documents but for a listed few lines, and small scenarios give the
// documents kept in testdata/ beside this file, byte for byte.
#include "documents/documents_from_scenario.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "documents/notes_page.h"
#include "documents/slow_order_form.h"
#include "documents/train_sheet.h"
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

}  // namespace
}  // namespace scenario
