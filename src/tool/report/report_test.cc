#include "tool/report/report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace scenario::tool {
namespace {

const source_names kNames{"texts/A_linea.txt", "texts/A_T-.txt"};

scenario_records failed(int32_t code, int32_t position) {
  scenario_records r;
  r.failure_code = code;
  r.failure_position = position;
  return r;
}

compilation read_failure_at(source_kind text, int32_t line, int32_t column) {
  compilation c;
  c.reading.site = failure_site{text, {line, column}};
  return c;
}

TEST(Report, ReaderFailureInTheCompilersForm) {
  const compile_report r =
      make_report(failed(16, 2000), read_failure_at(source_kind::train_service, 5, 3), kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_EQ(format_diagnostic(r.diagnostics[0], r.failure_position),
            "texts/A_T-.txt:5:3: error: \"segnale\" on a taken segment (failure 16 at 2000 m)");
}

TEST(Report, FailureTwoCanPointIntoTheLineDescription) {
  const compile_report r =
      make_report(failed(2, 0), read_failure_at(source_kind::line_description, 3, 1), kNames);
  EXPECT_EQ(r.diagnostics[0].file, kNames.line_description);
}

TEST(Report, TrackCodeFailuresHaveNoPlaceInAText) {
  // The pass runs after reading; a site the readers left is not its own.
  const compile_report r =
      make_report(failed(12, 13200), read_failure_at(source_kind::train_service, 9, 1), kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_FALSE(r.diagnostics[0].line.has_value());
  EXPECT_FALSE(r.diagnostics[0].column.has_value());
  const std::string text = format_diagnostic(r.diagnostics[0], r.failure_position);
  EXPECT_EQ(text.rfind("texts/A_T-.txt: error: ", 0), 0u) << text;
  EXPECT_NE(text.find("(failure 12 at 13200 m)"), std::string::npos) << text;
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_TRUE(j["diagnostics"][0]["line"].is_null());
  EXPECT_TRUE(j["diagnostics"][0]["column"].is_null());
  EXPECT_EQ(j["diagnostics"][0]["file"], kNames.train_service);
}

TEST(Report, RunTimeFailureCarriesItsOwnWords) {
  compilation c = read_failure_at(source_kind::line_description, 2, 21);
  c.reading.detail = "\"5km\" is not a number";
  const compile_report r = make_report(failed(25, 0), c, kNames);
  EXPECT_NE(r.diagnostics[0].message.find("\"5km\" is not a number"), std::string::npos);
}

TEST(Report, StampErrorBesideAFailure) {
  compilation c = read_failure_at(source_kind::train_service, 4, 1);
  c.stamp_error = kStampTaken;
  const compile_report r = make_report(failed(30, 0), c, kNames);
  ASSERT_EQ(r.diagnostics.size(), 2u);
  EXPECT_EQ(format_diagnostic(r.diagnostics[1], 0).rfind("scenario-tool: error: ", 0), 0u);
  EXPECT_NE(format_diagnostic(r.diagnostics[1], 0).find("(stamp error 1250)"), std::string::npos);
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_EQ(j["failure_code"], 30);
  EXPECT_EQ(j["stamp_error"], 1250);
  EXPECT_TRUE(j["diagnostics"][1]["file"].is_null());
}

TEST(Report, NoFailureNoDiagnostic) {
  const compile_report r = make_report(scenario_records{}, compilation{}, kNames);
  EXPECT_TRUE(r.diagnostics.empty());
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  for (const char* key :
       {"failure_code", "failure_position", "stamp_error", "files", "diagnostics"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_TRUE(j["stamp_error"].is_null());
}

TEST(Report, JsonSurvivesBytesThatAreNotUtf8) {
  compile_report r;
  r.files.push_back("caf\xe9.sim");
  nlohmann::json j;
  EXPECT_NO_THROW(j = nlohmann::json::parse(report_json(r)));
  EXPECT_EQ(j["files"].size(), 1u);
}

compilation with_warning(source_kind text, int32_t line, int32_t column, std::string_view id) {
  compilation c;
  c.reading.warnings.push_back({text, {line, column}, id, "what happened"});
  return c;
}

TEST(Report, WarningsInTheCompilersFormWithTheirId) {
  const compile_report r =
      make_report(scenario_records{},
                  with_warning(source_kind::line_description, 4, 17, "value-wrapped"), kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_EQ(format_diagnostic(r.diagnostics[0], 0),
            "texts/A_linea.txt:4:17: warning: what happened [value-wrapped]");
  EXPECT_EQ(warning_count(r), 1u);
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_EQ(j["diagnostics"][0]["severity"], "warning");
  EXPECT_EQ(j["diagnostics"][0]["id"], "value-wrapped");
  EXPECT_TRUE(j["diagnostics"][0]["code"].is_null());
}

TEST(Report, ErrorsCarrySeverityAndTheirCodeAsId) {
  const compile_report r =
      make_report(failed(16, 2000), read_failure_at(source_kind::train_service, 5, 3), kNames);
  const nlohmann::json j = nlohmann::json::parse(report_json(r));
  EXPECT_EQ(j["diagnostics"][0]["severity"], "error");
  EXPECT_EQ(j["diagnostics"][0]["id"], "16");
  EXPECT_EQ(j["diagnostics"][0]["code"], 16);
  EXPECT_EQ(j["diagnostics"][0]["failure_code"], 16);
  EXPECT_EQ(j["diagnostics"][0]["loss"], false);
}

TEST(Report, AFailureWithoutAPositionNamesNone) {
  // 25 leaves the position as it was: 0 here, which is no place on the line.
  const compile_report r =
      make_report(failed(25, 0), read_failure_at(source_kind::line_description, 2, 21), kNames);
  const std::string text = format_diagnostic(r.diagnostics[0], r.failure_position);
  EXPECT_EQ(text.substr(text.size() - 12), "(failure 25)") << text;
  EXPECT_EQ(text.find(" m)"), std::string::npos) << text;
  EXPECT_TRUE(nlohmann::json::parse(report_json(r))["failure_position"].is_null());
}

TEST(Report, HiddenWarningsLeaveTheErrors) {
  compilation c = with_warning(source_kind::train_service, 9, 1, "value-wrapped");
  c.reading.warnings.push_back({source_kind::train_service, {8, 1}, "unknown-entry", "lost"});
  c.reading.site = failure_site{source_kind::train_service, {4, 1}};
  compile_report r = make_report(failed(16, 1000), c, kNames);
  ASSERT_EQ(r.diagnostics.size(), 3u);
  hide_warnings(r);
  ASSERT_EQ(r.diagnostics.size(), 2u);
  EXPECT_EQ(r.diagnostics[0].code, 16);
  EXPECT_EQ(r.diagnostics[1].id, "unknown-entry");  // a loss is an error
  EXPECT_EQ(error_count(r), 2u);
}

// A loss is an error with its id; allowed, a warning --werror does not count.
TEST(Report, LossesAreErrorsUnlessAllowed) {
  const struct {
    std::string id;
    std::vector<std::string> allowed;
    std::string text;
    bool loss, allowed_here;
    size_t errors, warnings;
  } cases[] = {
      {"unknown-entry",
       {},
       "texts/A_linea.txt:4:17: error: what happened [unknown-entry]",
       true,
       false,
       1,
       0},
      {"no-general-section",
       {},
       "texts/A_linea.txt:4:17: error: what happened [no-general-section]",
       true,
       false,
       1,
       0},
      {"unknown-entry",
       {"unknown-entry"},
       "texts/A_linea.txt:4:17: warning: what happened [unknown-entry, allowed]",
       true,
       true,
       0,
       0},
      {"tunnel-reversed",
       {"unknown-entry"},
       "texts/A_linea.txt:4:17: error: what happened [tunnel-reversed]",
       true,
       false,
       1,
       0},
      {"value-wrapped",
       {"value-wrapped"},
       "texts/A_linea.txt:4:17: warning: what happened [value-wrapped, allowed]",
       false,
       true,
       0,
       0},
      {"value-wrapped",
       {},
       "texts/A_linea.txt:4:17: warning: what happened [value-wrapped]",
       false,
       false,
       0,
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    compile_report r = make_report(
        scenario_records{}, with_warning(source_kind::line_description, 4, 17, c.id), kNames);
    allow(r, c.allowed);
    ASSERT_EQ(r.diagnostics.size(), 1u);
    EXPECT_EQ(format_diagnostic(r.diagnostics[0], 0), c.text);
    EXPECT_EQ(error_count(r), c.errors);
    EXPECT_EQ(warning_count(r), c.warnings);
    const nlohmann::json j = nlohmann::json::parse(report_json(r));
    const nlohmann::json& d = j["diagnostics"][0];
    EXPECT_EQ(d["severity"], c.errors > 0 ? "error" : "warning");
    EXPECT_EQ(d["loss"], c.loss);
    EXPECT_EQ(d["allowed"], c.allowed_here);
    EXPECT_TRUE(d["code"].is_null());
    EXPECT_TRUE(d["failure_code"].is_null());
    EXPECT_EQ(j["allowed"], nlohmann::json(c.allowed));
  }
}

TEST(Report, DiagnosticsFollowTheTextsInReadingOrder) {
  compilation c = with_warning(source_kind::train_service, 9, 1, "unknown-entry");
  c.reading.warnings.push_back({source_kind::line_description, {7, 2}, "overridden", "later"});
  c.reading.warnings.push_back({source_kind::train_service, {3, 5}, "overridden", "earlier"});
  c.reading.site = failure_site{source_kind::train_service, {4, 1}};
  const compile_report r = make_report(failed(16, 1000), c, kNames);
  std::vector<std::pair<std::string, int32_t>> order;
  for (const diagnostic& d : r.diagnostics) order.emplace_back(*d.file, *d.line);
  EXPECT_EQ(order, (std::vector<std::pair<std::string, int32_t>>{{kNames.line_description, 7},
                                                                 {kNames.train_service, 3},
                                                                 {kNames.train_service, 4},
                                                                 {kNames.train_service, 9}}));
}

TEST(Report, TrackCodeFailurePointsAtTheSlowdownItConcerns) {
  scenario_records records = failed(12, 265 * 50);
  records.segment_last = 300;
  records.segments.assign(301, track_segment{});
  records.segments[265].kind = kSlowdownStart;
  compilation c;
  c.reading.marks.place(
      265, placed_mark{mark_role::slowdown_start, source_kind::train_service, {30, 1}, 13200, 0});
  const compile_report r = make_report(records, c, kNames);
  ASSERT_EQ(r.diagnostics.size(), 1u);
  EXPECT_EQ(r.diagnostics[0].line, 30);
  EXPECT_NE(r.diagnostics[0].message.find("(the start of the slowdown at 13200 m)"),
            std::string::npos)
      << r.diagnostics[0].message;
}

TEST(Report, StampErrorDescribesCellOneAsDumpLabelsIt) {
  scenario_records records;
  records.segment_last = 10;
  records.segments.assign(11, track_segment{});
  records.segments[1].kind = kSignal;
  compilation c;
  c.stamp_error = kStampTaken;
  c.reading.marks.place(1,
                        placed_mark{mark_role::signal, source_kind::train_service, {4, 1}, 0, 0});
  const compile_report r = make_report(records, c, kNames);
  EXPECT_NE(
      r.diagnostics[0].message.find(
          "segment 1 (covering 50-100 m) of the segment array holds the signal at 0 m (line 4 of "
          "texts/A_T-.txt)"),
      std::string::npos)
      << r.diagnostics[0].message;
}

// A text of many bad lines stays readable: a hundred of each id, in their
// places, then one note for each id that had more; the note of an
// unfinished search for errors comes last.
TEST(PrintDiagnostics, ShowsAHundredOfEachIdThenCountsTheRest) {
  std::string text;
  for (int line = 1; line <= 400; ++line) text += "entry " + std::to_string(line) + "\r\n";
  compilation c;
  auto warn = [&c](int32_t line, std::string_view id) {
    c.reading.warnings.push_back({source_kind::line_description, {line, 1}, id, "what happened"});
  };
  for (int32_t line = 1; line <= 250; ++line) warn(line, "unknown-entry");
  for (int32_t line = 251; line <= 351; ++line) warn(line, "value-wrapped");
  for (int32_t line : {5, 260, 399}) warn(line, "overridden");
  compile_report r = make_report(scenario_records{}, c, kNames);
  r.error_limit = 20;
  std::ostringstream err;
  print_diagnostics(err, r, kNames, {text, ""}, false);
  const std::string out = err.str();
  auto count = [&out](const std::string& what) {
    size_t n = 0;
    for (size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("[unknown-entry]\n"), 100u);
  EXPECT_EQ(count("[value-wrapped]\n"), 100u);
  EXPECT_EQ(count("[overridden]\n"), 3u);
  // The excerpts are those of the lines shown, the last one too.
  EXPECT_NE(out.find(" 100 | entry 100\n"), std::string::npos);
  EXPECT_EQ(out.find(" 101 | entry 101\n"), std::string::npos);
  EXPECT_NE(out.find(" 399 | entry 399\n"), std::string::npos);
  const std::string notes =
      "scenario-tool: note: 150 more unknown-entry errors like the above are not shown (at most "
      "100 of one id are); --format json lists them all\n"
      "scenario-tool: note: 1 more value-wrapped warning like the above is not shown (at most 100 "
      "of one id are); --format json lists them all\n"
      "scenario-tool: note: stopped looking for errors after 20; there may be more further on: "
      "mend these and check again\n";
  ASSERT_GE(out.size(), notes.size());
  EXPECT_EQ(out.substr(out.size() - notes.size()), notes);
  // What is not shown still counts.
  EXPECT_EQ(error_count(r), 250u);
  EXPECT_EQ(warning_count(r), 104u);
}

// The report is written as it goes, yet reads exactly as the tree of it
// that dump wrote: members sorted, two blanks a level, plain ASCII.
TEST(Report, JsonKeepsTheLayoutOfTheTree) {
  compilation c = with_warning(source_kind::train_service, 9, 1, "unknown-entry");
  c.reading.warnings.push_back(
      {source_kind::line_description, {7, 2}, "overridden", "\"Citt\xC3\xA0\" \x01 \xFF"});
  c.reading.site = failure_site{source_kind::train_service, {4, 1}};
  compile_report r = make_report(failed(16, 1000), c, {"A\xE0_linea.txt", "A_T-.txt"});
  diagnostic further = r.diagnostics[1];
  further.position = 2000;
  further.passed_over_file = "A_T-.txt";
  further.passed_over_line = 4;
  r.diagnostics.push_back(further);
  r.diagnostics.push_back({std::nullopt, std::nullopt, std::nullopt, kStampTaken, "taken",
                           severity::error, std::to_string(kStampTaken)});
  r.stamp_error = kStampTaken;
  r.files = {"out/A_linea.dat"};
  r.allowed = {"value-wrapped"};
  for (int32_t limit : {0, 20}) {
    r.error_limit = limit;
    using nlohmann::json;
    json diagnostics = json::array();
    for (const diagnostic& d : r.diagnostics) {
      auto optional = [](const auto& v) { return v ? json(*v) : json(nullptr); };
      const bool numbered = d.code != 0;
      json j = {{"file", optional(d.file)},
                {"line", optional(d.line)},
                {"column", optional(d.column)},
                {"severity", d.level == severity::warning ? "warning" : "error"},
                {"id", d.id},
                {"code", numbered ? json(d.code) : json(nullptr)},
                {"failure_code", numbered && d.code != kStampTaken ? json(d.code) : json(nullptr)},
                {"loss", d.loss},
                {"allowed", d.allowed},
                {"message", d.message}};
      if (d.passed_over_line) {
        j["failure_position"] = *d.position;
        j["passed_over"] = {{"file", *d.passed_over_file}, {"line", *d.passed_over_line}};
      }
      diagnostics.push_back(j);
    }
    json tree = {{"failure_code", 16}, {"failure_position", 1000}, {"stamp_error", kStampTaken},
                 {"files", r.files},   {"allowed", r.allowed},     {"diagnostics", diagnostics}};
    if (limit != 0) tree["error_limit"] = limit;
    EXPECT_EQ(report_json(r), tree.dump(2, ' ', true, json::error_handler_t::replace));
  }
}

TEST(SourceExcerpt, LineAndCaretUnderTheColumn) {
  struct excerpt_case {
    std::string_view text;
    int32_t line, column;
    std::string expected;
  } cases[] = {
      {"a\r\nsegnale, 1000\r\n", 2, 10, " 2 | segnale, 1000\n   |          ^\n"},
      // A tab shows as one blank, so the caret stays under its field.
      {"\tmontagna, 1\n", 1, 2, " 1 |  montagna, 1\n   |  ^\n"},
      // Control bytes are shown, not sent to the terminal.
      {"x\x1b[2Jy, 5\n", 1, 9, " 1 | x\\x1b[2Jy, 5\n   | " + std::string(11, ' ') + "^\n"},
      {"\n\n\n\n\n\n\n\n\n\nlast", 11, 1, " 11 | last\n    | ^\n"},
      {"one line\n", 3, 1, ""},
      // Every line end counts: CR LF, a lone CR, a lone LF, in any mixture.
      {"a\rb\r\nc\nd, 7", 4, 4, " 4 | d, 7\n   |    ^\n"},
      {"a\rb\r\nc\nd, 7", 3, 1, " 3 | c\n   | ^\n"},
      {"a\r\r\nb", 2, 1, " 2 | \n   | ^\n"},
      {"a\rb", 3, 1, ""},
  };
  for (const excerpt_case& c : cases)
    EXPECT_EQ(source_excerpt(c.text, c.line, c.column, false), c.expected) << c.text;
}

TEST(SourceExcerpt, LongLinesAreCutAroundTheColumn) {
  const std::string line = std::string(500, 'a') + "X" + std::string(500, 'b');
  const std::string out = source_excerpt(line, 1, 501, false);
  const size_t newline = out.find('\n');
  EXPECT_LT(newline, 140u);
  EXPECT_EQ(out.substr(0, 8), " 1 | ...");
  // The caret stands under the X.
  EXPECT_EQ(out.find('^') - (newline + 1), out.find('X'));
}

TEST(SourceExcerpt, ColourOnlyWhenAsked) {
  compilation c = with_warning(source_kind::line_description, 1, 1, "overridden");
  const compile_report r = make_report(scenario_records{}, c, kNames);
  std::ostringstream plain, coloured;
  print_diagnostics(plain, r, kNames, {"segnae, 1\n", ""}, false);
  print_diagnostics(coloured, r, kNames, {"segnae, 1\n", ""}, true);
  EXPECT_EQ(plain.str().find('\x1b'), std::string::npos);
  EXPECT_NE(coloured.str().find("\x1b[1;35mwarning:"), std::string::npos) << coloured.str();
  EXPECT_NE(coloured.str().find("\x1b[1;32m^"), std::string::npos);
  EXPECT_EQ(plain.str(),
            "texts/A_linea.txt:1:1: warning: what happened [overridden]\n"
            " 1 | segnae, 1\n"
            "   | ^\n");
}

}  // namespace
}  // namespace scenario::tool
