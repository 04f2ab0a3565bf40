// Decompiling compiled scenarios: the recovered texts must compile to the
// very bytes they came from, for the built-in scenario, the longest line,
// every kind of entry in its variants and a few hundred varied scenarios;
// where the files cannot come back, every difference is reported.
#include "tool/decompile/decompile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "testing/compilation_runs.h"
#include "testing/scenario_texts.h"
#include "tool/decompile/entries.h"

namespace scenario::tool {
namespace {

using testing::line_text;
using testing::service_text;

struct compiled_run {
  scenario_records records;
  compilation result;
  bool clean() const {
    return result.compiled && result.stamp_error == 0 && records.failure_code == 0;
  }
};

compiled_run compile_texts(const std::string& line, const std::string& service, int32_t j = 1) {
  compiled_run run;
  run.records.line_id = "Milano_Lecco";
  run.records.train_code = "L5244";
  run.result = compile_scenario(run.records, j, line, service);
  return run;
}

std::string listed(const recovered_texts& t) {
  std::string s;
  for (const std::string& w : t.warnings) s += "warning: " + w + "\n";
  for (const std::string& n : t.notes) s += "note: " + n + "\n";
  return s + "---- line description\n" + t.line_description + "---- train service\n" +
         t.train_service;
}

// Decompiles, compiles the texts again and compares the three files' bytes.
::testing::AssertionResult round_trips(const compiled_run& run) {
  if (!run.clean())
    return ::testing::AssertionFailure()
           << "the fixture itself compiles with failure " << run.records.failure_code << " at "
           << run.records.failure_position << " (stamp error " << run.result.stamp_error << ")";
  const recovered_texts texts = decompile(run.records);
  const compiled_run again =
      compile_texts(texts.line_description, texts.train_service, run.records.build_geometry);
  if (!texts.exact() || !again.clean() ||
      !(compiled_files_bytes(again.records) == compiled_files_bytes(run.records)))
    return ::testing::AssertionFailure() << listed(texts);
  return ::testing::AssertionSuccess();
}

// The lines of a text with the blanks around its fields taken out, so that
// two texts compare by their entries, not by their padding.
std::vector<std::string> entries_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    std::string entry;
    bool blank = false;
    for (char c : l) {
      if (c == ' ') {
        blank = true;
        continue;
      }
      if (blank && !entry.empty() && entry.back() != ',' && c != ',') entry += ' ';
      blank = false;
      entry += c;
    }
    if (!entry.empty() && entry.front() != '-') lines.push_back(entry);
  }
  return lines;
}

TEST(Decompile, BuiltInScenarioComesBackExactly) {
  EXPECT_TRUE(round_trips(compile_texts(dati_linea(), dati_treno())));
}

// The compiled files determine every entry of the built-in texts, so the
// recovered entries are the built-in ones, in their order.
TEST(Decompile, BuiltInEntriesAreTheBuiltInTexts) {
  const recovered_texts t = decompile(compile_texts(dati_linea(), dati_treno()).records);
  EXPECT_EQ(entries_of(t.line_description), entries_of(dati_linea()));
  EXPECT_EQ(entries_of(t.train_service), entries_of(dati_treno()));
  for (const std::string* text : {&t.line_description, &t.train_service})
    EXPECT_EQ(text->substr(0, text->find("\r\n")), recovery::kRecoveredNote);
}

TEST(Decompile, MaximumLengthScenarioComesBackExactly) {
  const testing::scenario_texts t = testing::dense_texts(testing::kLongestLine);
  EXPECT_TRUE(round_trips(compile_texts(t.line_description, t.train_service)));
}

// Every scenario the generator makes compiles cleanly and comes back.
TEST(Decompile, VariedScenariosComeBackExactly) {
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    const testing::scenario_texts t = testing::varied_texts(seed);
    const compiled_run run = compile_texts(t.line_description, t.train_service);
    ASSERT_TRUE(round_trips(run)) << "seed " << seed << ", " << t.length << " m\n"
                                  << t.line_description << t.train_service;
  }
}

TEST(Decompile, WithoutRoutePlanTheOtherFilesComeBack) {
  const compiled_run run = compile_texts(dati_linea(), dati_treno(), 0);
  EXPECT_TRUE(round_trips(run));
  const recovered_texts t = decompile(run.records);
  EXPECT_EQ(t.line_description.find("curva"), std::string::npos);
}

struct variant {
  const char* name;
  std::string line;     // entries after the general section
  std::string service;  // entries of the train service description
  int length = 30000;
};

// Stations, signals and boards are placed so that the point objects meet
// only where a case means them to.
const variant kVariants[] = {
    {"curves of every class both ways, back to back",
     "curvas1, 1000, 200\r\ncurvas2, 1200, 200\r\ncurvas3, 1400, 200\r\ncurvas4, 1600, 200\r\n"
     "curvas5, 1800, 200\r\ncurvas6, 2000, 200\r\ncurvad1, 2200, 200\r\ncurvad2, 2400, 200\r\n"
     "curvad3, 2600, 200\r\ncurvad4, 2800, 200\r\ncurvad5, 3000, 200\r\ncurvad6, 3200, 200\r\n",
     ""},
    {"overlapping curves and curves of one metre",
     "curvas4, 1000, 500\r\ncurvad2, 1300, 400\r\ncurvad2, 1350, 100\r\ncurvas6, 2000, 1\r\n"
     "curvad1, 2001, 1\r\ncurvas5, 2005, 1\r\n",
     ""},
    {"a curve up to the last metre", "curvad3, 36800, 200\r\n", ""},
    {"a curve that turns on from one that ends near the end of the line",
     "curvas2, 36800, 150\r\ncurvad2, 36900, 100\r\n", ""},
    {"gradients: negative, kept to 8 bits, on half cells, several at one position",
     "pendenza, 0, -5\r\npendenza, 1025, 300\r\npendenza, 1025, -180\r\npendenza, 2075, 7\r\n"
     "pendenza, 36900, 3\r\npendenza, 36900, 4\r\npendenza, 36900, 9\r\n",
     ""},
    {"speed and adhesion profiles up to the last cells", "",
     "aderenza, 0, 100\r\naderenza, 3025, 300\r\naderenza, 36900, 7\r\naderenza, 36900, 8\r\n"
     "velocita, 0, 90\r\nvelocita, 8000, 92\r\nvelocita, 36900, 50\r\nvelocita, 36900, 60\r\n"
     "velocita, 36900, 70\r\n"},
    {"tunnels plain, marked, joined and kept apart by 151 m",
     "montagna, 1000, 2000, 1\r\nmontagna, 3000, 4000, 12\r\nmontagna, 4150, 5000, 2\r\n"
     "montagna, 6000, 6500, 1\r\nmontagna, 6651, 7000, 2\r\nmontagna, 8000, 8425, 200\r\n",
     ""},
    {"tunnels of two types side by side, overlapping and on the last cells",
     "montagna, 8000, 9000, 1\r\nmontagna, 100, 100, 1\r\nmontagna, 9000, 9500, 2\r\n"
     "montagna, 10000, 11000, 12\r\nmontagna, 10500, 12000, 1\r\n"
     "montagna, 36800, 37050, 1\r\nmontagna, 36800, 36950, 2\r\n",
     ""},
    {"speed boards with right-side speeds and stripes, on half cells",
     "indicatori_vmax, 1000, 90, 100, 110, 2, 10, 15, 5, 3\r\n"
     "indicatori_vmax, 2025, 60, , , 1, , , , 0\r\nindicatori_vmax, 3000, 0, 0, 0, 0, 12, 0, 0, "
     "0\r\n",
     ""},
    {"sign boards whose texts need quotes or none",
     "cartello indicatore, 1000, \"A, B\"\r\ncartello indicatore, 1500, \"  lead\"\r\n"
     "cartello indicatore, 2000, \"trail  \"\r\ncartello indicatore, 2500, ab\"c\r\n"
     "cartello indicatore, 3000, \"\"\r\ncartello indicatore, 3525, X\r\n",
     ""},
    {"stations of every type, the first one's forced values", "",
     "stazione, 1000, 2, 1000, 1, 2, 1, 1,2,3, 4,5,6, 30, 6,30,15, PRIMA\r\n"
     "stazione, 3000, 4, 700, 0, 3, 1, 0,0,0, 0,0,0, 60, 6,40,0, \"SECONDA, B\"\r\n"
     "stazione, 5000, 5, 400, 0, 0, 1, 0,0,0, 0,0,0, 0, 0,0,0, CINQUE\r\n"
     "stazione, 7000, 6, 600, 0, 1, 0, 0,0,0, 0,0,0, 0, 0,0,0, SEI\r\n"
     "stazione, 9000, 7, 300, 0, 0, 2, 0,0,0, 0,0,0, 0, 0,0,0, SETTE\r\n"
     "stazione, 11000, 8, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, OTTO\r\n"
     "stazione, 13000, 12, 800, 0, 4, 0, 0,0,0, 0,0,0, 255, 7,0,0, DODICI\r\n"
     "stazione, 15000, 22, 300, 0, 0, 0, 0,0,0, 0,0,0, 30, 30,0,-5, VENTIDUE\r\n"
     "stazione, 17000, 25, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,0,0, \"  VENTICINQUE\"\r\n"
     "stazione, 19000, 30, 500, 1, 0, 0, 0,0,0, 0,0,0, 30, 8,1,0, TRENTA\r\n"},
    {"a signal, a board and a sign board covered by later stop marks",
     "indicatori_vmax, 4950, 90, 90, 90, 1, , , , 2\r\ncartello indicatore, 7950, COPERTO\r\n",
     "segnale, 1950, 2, 1,2,3, 1, 1, 4,5,6, 50\r\n"
     "stazione, 1800, 2, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 6,0,0, A\r\n"
     "stazione, 4800, 2, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 6,5,0, B\r\n"
     "stazione, 7800, 2, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 6,9,0, C\r\n"},
    {"approach marks written over by later stations and signals", "",
     "segnale, 2450, 1, 1,1,1, 0, 2, 1,1,1, 0\r\n"
     "stazione, 2150, 2, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 6,0,0, DOPO\r\n"
     "stazione, 4650, 2, 500, 0, 0, 0, 0,0,0, 0,0,0, 30, 6,5,0, PRIMA\r\n"
     "segnale, 4950, 3, 1,1,1, 1, 0, 1,1,1, 0\r\n"
     "segnale, 6950, 0, 1,1,1, 0, 1, 1,1,1, 0\r\nsegnale, 7050, 1, 2,2,2, 0, 1, 2,2,2, 0\r\n"
     "segnale, 6850, 3, 3,3,3, 2, 3, 3,3,3, 150\r\n"},
    {"slowdowns with and without warning, lead-in and d_v, lead-in apart from the warning", "",
     "rallentamento, 1000, 40, 300, 0, 1, 0\r\nrallentamento, 1501, 50, 400, 2, 1, 5\r\n"
     "rallentamento, 8000, 30, 900, 1, 1, 30\r\nrallentamento, 15000, 120, 600, 0, 0, 0\r\n"
     "rallentamento, 21225, 60, 500, 3, 1, 8\r\nrallentamento, 27000, 30, 0, 0, 1, 0\r\n"
     "rallentamento, 12000, 120, -500, 0, 1, 0\r\n"},
    {"abbattimento marks, some where the track-code pass would place its points", "",
     "rallentamento, 8000, 30, 900, 1, 1, 30\r\nabbattimento, 7750, 180\r\n"
     "abbattimento, 8450, 180\r\nabbattimento, 50, 0\r\nabbattimento, 3000, 300\r\n"
     "abbattimento, 3525, 70000\r\nabbattimento, 4000, -5\r\n"
     "segnale, 6950, 2, 1,1,1, 0, 2, 1,1,1, 0\r\nsegnale, 8950, 2, 1,1,1, 0, 2, 1,1,1, 0\r\n"},
    {"train make-up, clock and signals on half cells", "",
     "numero vetture, 12\r\npercentuale massa frenata, 250\r\nsabbia, -3\r\n"
     "orologio, 23 59 300\r\nsegnale, 5175, 2, 4,1,1, 0, 2, 2,1,1, 0\r\n"
     "segnale, 5225, 0, 4,1,1, 7, 0, 2,1,1, 0\r\n"},
};

TEST(Decompile, EveryVariantComesBackExactly) {
  for (const variant& v : kVariants) {
    const compiled_run run = compile_texts(line_text(v.line, v.length), service_text(v.service));
    EXPECT_TRUE(round_trips(run)) << v.name;
  }
}

// The general section's entries in every arrangement the reader orders.
TEST(Decompile, GeneralEntriesComeBackExactly) {
  const char* const progressives[] = {
      "uno, 0, 0, 0\r\nprogressiva chilometrica due, 20000, 500, 1\r\n"
      "progressiva chilometrica tre, 40000, 1000, 1",
      "uno, 40000, 50, 2\r\nprogressiva chilometrica due, 0, 150, 1\r\n"
      "progressiva chilometrica tre, 0, 250, 0",
      "uno, 30000, 0, 0\r\nprogressiva chilometrica due, 30000, 50, 0\r\n"
      "progressiva chilometrica tre, 10000, 0, 0",
      "uno, 100, 0, 0\r\nprogressiva chilometrica due, -100, 5000, 1\r\n"
      "progressiva chilometrica tre, 0, 200, 0",
  };
  for (const char* p : progressives) {
    const std::string line =
        "[generale]\r\nlunghezza percorso, 43210\r\n"
        "progressiva chilometrica " +
        std::string(p) +
        "\r\nsfondo uno, 3\r\nsfondo due, -1\r\nsfondo tre, 7\r\n"
        "ripetizione segnali 9 codici, 1000, 42000\r\n[curve]\r\n[fine]\r\n";
    EXPECT_TRUE(round_trips(compile_texts(line, service_text("")))) << p;
  }
}

// Files whose texts compile with a failure come back as far as the files
// tell, and the failure is named.
TEST(Decompile, FailedRunsAreReported) {
  const compiled_run run = compile_texts(
      line_text(""), service_text("stazione, 4025, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\r\n"));
  ASSERT_EQ(run.records.failure_code, 8);
  const recovered_texts t = decompile(run.records);
  ASSERT_FALSE(t.exact());
  EXPECT_NE(t.warnings.front().find("failure 8 at 4025 m"), std::string::npos) << listed(t);
}

// Hand-edited files: each difference names the file, the place, the field,
// the value held and the value the texts give.
TEST(Decompile, HandEditedFilesReportEachDifference) {
  compiled_run run = compile_texts(dati_linea(), dati_treno());
  run.records.segments[500].kind = 99;
  run.records.segments[600].value3 = 7;
  run.records.general_table[3].text = "\"OPEN, AND COMMA";
  const recovered_texts t = decompile(run.records);
  const std::vector<std::string> expected = {
      "Milano_Lecco_L5244.sim: slot 3: text: held \"\"OPEN, AND COMMA\", the texts give "
      "\"OPEN, AND COMMA\"",
      "Milano_Lecco_L5244.dat: segment 500, covering 25000-25050 m: kind: held 99, the texts give "
      "0",
      "Milano_Lecco_L5244.dat: segment 600, covering 30000-30050 m: value3: held 7, the texts give "
      "0",
  };
  EXPECT_EQ(t.warnings, expected) << listed(t);
}

// A route plan point no curve gives: the metres after it follow from it as
// ever, so the texts give back every metre but that one.
TEST(Decompile, RoutePlanPointNoCurveGivesIsReported) {
  compiled_run run = compile_texts(dati_linea(), dati_treno());
  const double x = run.records.track_geometry.value(30000, 0);
  run.records.track_geometry.set_real(30000, 0, x + 1e-9);
  const recovered_texts t = decompile(run.records);
  ASSERT_EQ(t.warnings.size(), 1u) << listed(t);
  EXPECT_EQ(t.warnings[0].rfind("Milano_Lecco_linea.dat: metre 30000: x: held ", 0), 0u);
  EXPECT_NE(t.warnings[0].find(", the texts give "), std::string::npos);
  ASSERT_FALSE(t.notes.empty());
  EXPECT_NE(t.notes.front().find("metre 30000"), std::string::npos);
}

TEST(Decompile, ManyDifferencesAreCountedAfterTheFirstFew) {
  compiled_run run = compile_texts(dati_linea(), dati_treno());
  for (int c = 1100; c < 1130; ++c) run.records.segments[static_cast<size_t>(c)].value4 = 1;
  const recovered_texts t = decompile(run.records);
  ASSERT_EQ(t.warnings.size(), 21u) << listed(t);
  EXPECT_EQ(t.warnings[0],
            "Milano_Lecco_L5244.dat: segment 1100, covering 55000-55050 m: value4: "
            "held 1, the texts give 0");
  EXPECT_EQ(t.warnings[20], "Milano_Lecco_L5244.dat: 10 more differences like those above");
}

// One edit an author's tool might make: any field of a cell, a table slot
// or a route-plan point, or a segment file cut short or lengthened.
void edit_at_random(scenario_records& r, testing::random& random) {
  auto any = [&](int64_t lo, int64_t hi) { return random.between(lo, hi); };
  auto small_or_any = [&] {
    return static_cast<int16_t>(random.chance(50) ? any(-3, 30) : any(-32768, 32767));
  };
  track_segment& c = r.segments[static_cast<size_t>(any(0, r.segment_last))];
  general_entry& s = r.general_table[static_cast<size_t>(any(0, kGeneralSlots - 1))];
  switch (random.chance(30) ? 8 : any(0, 9)) {
    case 8:  // values a gradient, speed or adhesion entry may give
      c.gradient = static_cast<uint8_t>(any(0, 255));
      c.speed_limit = static_cast<uint8_t>(any(0, 255));
      c.adhesion = static_cast<uint8_t>(any(0, 255));
      break;
    case 0:
      c.kind = static_cast<uint8_t>(random.chance(70) ? any(0, 14) : any(0, 255));
      break;
    case 1:
      c.value1 = small_or_any();
      c.value2 = small_or_any();
      break;
    case 2:
      c.value3 = small_or_any();
      c.value4 = small_or_any();
      break;
    case 3:
      c.signal_time = static_cast<uint8_t>(any(0, 255));
      c.approach_mark = static_cast<uint8_t>(any(0, 255));
      c.tunnel_type = static_cast<uint8_t>(any(0, 255));
      break;
    case 4:
      s.kind = static_cast<uint8_t>(any(0, 40));
      s.value_a = static_cast<int32_t>(any(-100000, 2000000));
      break;
    case 5:
      s.value_b = static_cast<int32_t>(any(-100000, 2000000));
      s.value_c = static_cast<int32_t>(any(-5, 5000));
      s.number_a = small_or_any();
      break;
    case 6:
      s.text = random.chance(50) ? "\"A\", B" : std::string(static_cast<size_t>(any(0, 300)), 'Q');
      break;
    case 7:
      if (r.build_geometry != 0)
        r.track_geometry.set_real(static_cast<int32_t>(any(0, r.geometry_last)),
                                  static_cast<int>(any(0, 1)),
                                  static_cast<double>(any(-9999, 9999)) / 7);
      break;
    default:
      r.segments.resize(static_cast<size_t>(any(1, r.segment_last + 200)));
      r.segment_last = static_cast<int32_t>(r.segments.size()) - 1;
  }
}

// Hand-edited files never stop the decompiler, and where it says that its
// texts give the files back, compiling them does.
TEST(Decompile, HandEditedFilesComeBackOnlyWhereTheTextsGiveThem) {
  int exact = 0, reported = 0;
  for (uint64_t seed = 1; seed <= 150; ++seed) {
    const testing::scenario_texts t =
        testing::varied_texts(seed, 3000 + 9000 * static_cast<int64_t>(seed % 7));
    compiled_run run = compile_texts(t.line_description, t.train_service, seed % 5 == 0 ? 0 : 1);
    ASSERT_TRUE(run.clean()) << "seed " << seed;
    testing::random random(seed);
    for (int64_t e = random.between(1, 3); e > 0; --e) edit_at_random(run.records, random);
    const recovered_texts texts = decompile(run.records);
    if (!texts.exact()) {
      ++reported;
      continue;
    }
    ++exact;
    const compiled_run again =
        compile_texts(texts.line_description, texts.train_service, run.records.build_geometry);
    EXPECT_TRUE(again.clean() &&
                compiled_files_bytes(again.records) == compiled_files_bytes(run.records))
        << "seed " << seed << "\n"
        << listed(texts);
  }
  // Both kinds of edit must have come up for the cases to mean anything.
  EXPECT_GT(exact, 0);
  EXPECT_GT(reported, 0);
}

TEST(Decompile, TextFieldsReadBackWhole) {
  struct field_case {
    std::string text;
    std::optional<std::string> field;
  };
  const field_case cases[] = {
      {"MONZA", "MONZA"},
      {"CARNATE - USMATE", "CARNATE - USMATE"},
      {"A, B", "\"A, B\""},
      {"  lead", "\"  lead\""},
      {"trail\t", "\"trail\t\""},
      {"", "\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"ab\"c", "ab\"c"},
      {"\"quoted\"", std::nullopt},
      {"quote\" and, comma", std::nullopt},
  };
  for (const field_case& c : cases) {
    EXPECT_EQ(recovery::text_field(c.text), c.field) << c.text;
    if (!c.field) continue;
    const std::string service =
        "stazione, 1000, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, " + *c.field + "\r\n";
    const compiled_run run = compile_texts(line_text(""), service_text(service));
    EXPECT_EQ(run.records.general_table[1].text, c.text);
  }
}

}  // namespace
}  // namespace scenario::tool
