#include "tool/picture/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "testing/built_in_scenario.h"
#include "tool/picture/sha256.h"
#include "tool/picture/view_assets.h"

namespace scenario::tool {
namespace {

using testing::built_in_scenario;

// A column of metres; nullopt is an empty cell, the first two hold integers
// when they are whole, as the compiler writes them.
route_plan column_of(const std::vector<std::optional<double>>& values) {
  route_plan plan(static_cast<int32_t>(values.size()) - 1);
  for (size_t m = 0; m < values.size(); ++m) {
    if (!values[m]) continue;
    const auto metre = static_cast<int32_t>(m);
    if (m < 2 && *values[m] == std::floor(*values[m]) && std::abs(*values[m]) < 32768)
      plan.set_integer(metre, 0, static_cast<int16_t>(*values[m]));
    else
      plan.set_real(metre, 0, *values[m]);
  }
  return plan;
}

TEST(ViewPlanColumn, EachMetreIsItsStrayFromTheStraightOnIn) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    std::vector<std::optional<double>> metres;
    std::string packed;
  } cases[] = {
      {"a straight at rest is one letter and a count", {0, 0, 0, 0, 0}, "a5"},
      {"a metre a metre: one jump, then straight on", {0, 1, 2, 3}, "a(1000)a2"},
      {"the letters end at 25 and -26 mm", {0.025, 0.024, 0.049, 0.047}, "zA(26)(-27)"},
      {"empty cells, in a run", {0, std::nullopt, std::nullopt}, "a!2"},
      {"a value that cannot be drawn is kept as printed and skipped",
       {0, 1, nan, 2},
       "a(1000)'nan'a"},
      {"too large to draw", {0, 2e12}, "a'2000000000000.000'"},
      {"a small negative prints -0.000", {0, -0.0004, 0}, "a-aa"},
      {"a tie at the third decimal goes to the even millimetre", {0.0625, -0.0625}, "(62)(-186)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(encode_plan_column(column_of(c.metres), 0), c.packed) << c.what;
}

// The cells as the page's script rebuilds them from the data.
std::vector<track_segment> cells_from(const nlohmann::json& data) {
  std::vector<track_segment> cells(data["cell_count"].get<size_t>());
  const auto set = [](track_segment& s, const std::string& field, int v) {
    if (field == "kind") s.kind = static_cast<uint8_t>(v);
    if (field == "value1") s.value1 = static_cast<int16_t>(v);
    if (field == "value2") s.value2 = static_cast<int16_t>(v);
    if (field == "value3") s.value3 = static_cast<int16_t>(v);
    if (field == "value4") s.value4 = static_cast<int16_t>(v);
    if (field == "signal_time") s.signal_time = static_cast<uint8_t>(v);
    if (field == "approach_mark") s.approach_mark = static_cast<uint8_t>(v);
    if (field == "tunnel_type") s.tunnel_type = static_cast<uint8_t>(v);
    if (field == "speed_limit") s.speed_limit = static_cast<uint8_t>(v);
    if (field == "gradient") s.gradient = static_cast<uint8_t>(v);
    if (field == "adhesion") s.adhesion = static_cast<uint8_t>(v);
  };
  const nlohmann::json& points = data["points"];
  for (size_t n = 0; n < points["cell"].size(); ++n)
    for (const auto& [field, column] : points.items())
      if (field != "cell" && field != "position")
        set(cells[points["cell"][n].get<size_t>()], field, column[n].get<int>());
  for (const auto& [field, run] : data["runs"].items())
    for (size_t r = 0; r < run["cell"].size(); ++r) {
      const size_t end =
          r + 1 < run["cell"].size() ? run["cell"][r + 1].get<size_t>() : cells.size();
      for (size_t i = run["cell"][r].get<size_t>(); i < end; ++i)
        set(cells[i], field, run["value"][r].get<int>());
    }
  return cells;
}

TEST(ViewData, KeepsEveryFieldOfEveryCell) {
  plot_input in = built_in_scenario();
  // Fields a point object seldom or never sets, alone in their cells.
  in.segments[100].signal_time = 7;
  in.segments[101].approach_mark = 33;
  in.segments[102].value3 = -32768;
  in.segments[103].kind = 200;
  in.segments.back().adhesion = 255;
  const nlohmann::json data = view_data(in);
  EXPECT_EQ(data["fields"].size(), 11u);
  EXPECT_TRUE(cells_from(data) == in.segments);
  EXPECT_EQ(data["kind_names"]["200"], "unknown");
  EXPECT_EQ(data["kind_names"]["1"], "signal");
  EXPECT_EQ(data["value_names"]["1"][0], "s1*10+d1");
}

TEST(ViewData, StationsLandInTheSegmentTheirPositionRoundsTo) {
  plot_input in = built_in_scenario();
  // 1525 / 50 = 30.5 and 1475 / 50 = 29.5 both go to the even 30; 1575 to 32.
  for (const auto& [position, segment] :
       std::vector<std::pair<int32_t, int>>{{1525, 30}, {1475, 30}, {1575, 32}, {1574, 31}}) {
    in.table[2].value_c = position;
    const nlohmann::json station = view_data(in)["stations"][1];
    EXPECT_EQ(station["position"], position);
    EXPECT_EQ(station["segment"], segment) << position;
  }
}

TEST(ViewData, NoRoutePlanIsNull) {
  plot_input in = built_in_scenario();
  in.plan.reset();
  EXPECT_TRUE(view_data(in)["plan"].is_null());
}

TEST(ViewData, CarriesTheRecordedFailureAndTheIdentifiersAsTheyAre) {
  plot_input in = built_in_scenario();
  in.line_id = "Citt\xC3\xA0";
  in.train_code = "\xC0";  // not UTF-8: Windows-1252, as the simulator reads it
  nlohmann::json data = view_data(in);
  EXPECT_EQ(data["line_id"], "Citt\xC3\xA0");
  EXPECT_EQ(data["train_code"], "\xC3\x80");
  EXPECT_TRUE(data["failure"].is_null());
  in.failure = recorded_failure{16, 36950, "\"segnale\" at 36950 m: segment 740 is taken"};
  data = view_data(in);
  EXPECT_EQ(data["failure"]["code"], 16);
  EXPECT_EQ(data["failure"]["position"], 36950);
  EXPECT_EQ(data["failure"]["message"], "\"segnale\" at 36950 m: segment 740 is taken");
  in.failure = recorded_failure{25, std::nullopt, ""};
  EXPECT_TRUE(view_data(in)["failure"]["position"].is_null());
  // A message of any length is cut to 600 bytes, before a character that
  // crosses the limit (two or three bytes, starting one or two bytes ahead).
  for (const std::string& c : {std::string("\xC3\xA0"), std::string("\xE2\x82\xAC")}) {
    for (size_t at = 598 - c.size(); at < 597; ++at) {
      in.failure = recorded_failure{25, std::nullopt, std::string(at, 'a') + c + "bbb"};
      EXPECT_EQ(view_data(in)["failure"]["message"], std::string(at, 'a') + "...") << at;
    }
  }
}

TEST(ViewPage, IsOneFileThatNoTextCanBreakOutOf) {
  plot_input in = built_in_scenario();
  in.table[14].text = "LECCO </script><!--<script>alert(1)</script> \xC0";
  const std::string page = render_view_html(in);
  size_t scripts = 0;
  for (size_t at = page.find("</script"); at != std::string::npos;
       at = page.find("</script", at + 1))
    ++scripts;
  EXPECT_EQ(scripts, 2u) << "the data and the code, nothing more";
  EXPECT_EQ(page.find("<!--<script"), std::string::npos);
  EXPECT_EQ(page.find("@view."), std::string::npos) << "a marker was left in";
  EXPECT_EQ(page.find("{\"@scenario@\":0}"), std::string::npos);
  // Only the page's own style sheet and script apply, by their digests.
  const std::string policy = page.substr(page.find("content=\"default-src 'none';"), 200);
  EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos) << policy;
  for (const std::string_view own : {view_style(), view_script()}) {
    const sha256_digest digest = sha256(own);
    EXPECT_NE(policy.find("'sha256-" + base64(digest.data(), digest.size()) + "'"),
              std::string::npos)
        << policy;
    EXPECT_NE(page.find(">" + std::string(own) + "</"), std::string::npos) << "as hashed";
  }
  const std::string open = "<script type=\"application/json\" id=\"scenario-data\">";
  const size_t from = page.find(open) + open.size();
  const nlohmann::json data =
      nlohmann::json::parse(page.substr(from, page.find("</script>", from) - from));
  EXPECT_EQ(data["stations"][13]["name"], "LECCO </script><!--<script>alert(1)</script> \xC3\x80");
}

}  // namespace
}  // namespace scenario::tool
