#include "tool/picture/plot.h"

#include <gtest/gtest.h>

#include "testing/built_in_scenario.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace {

using testing::built_in_scenario;

TEST(Plot, StationsAreTheTablesStationSlots) {
  const plot_input in = built_in_scenario();
  const std::vector<plotted_station> stations = stations_of(in.table, in.segments);
  ASSERT_EQ(stations.size(), 14u);
  EXPECT_EQ(stations.front().name, "MILANO CENTRALE");
  EXPECT_EQ(stations.back().name, "LECCO");
  EXPECT_EQ(stations.back().position, 50100);
}

TEST(Plot, SignBoardTextsAreNoStations) {
  plot_input in = built_in_scenario();
  // A board whose text took slot 15, just above the last station.
  in.table[15].text = "ATTENZIONE";
  in.segments[300].kind = kSignBoard;
  in.segments[300].value1 = 15;
  EXPECT_EQ(stations_of(in.table, in.segments).size(), 14u);
}

TEST(Plot, SlowdownRunsFromItsStartToItsEnd) {
  const std::vector<plotted_slowdown> s = slowdowns_of(built_in_scenario().segments);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].from, 13200);
  EXPECT_EQ(s[0].to, 13950);
  EXPECT_EQ(s[0].speed, 30);
}

TEST(Plot, NamesAreEscapedAndConverted) {
  plot_input in = built_in_scenario();
  in.table[1].text = "A&B <C> \xC0";  // Windows-1252 capital A grave
  const std::string svg = render_svg(in);
  EXPECT_NE(svg.find("A&amp;B &lt;C&gt; \xC3\x80"), std::string::npos);
  EXPECT_EQ(svg.find("<C>"), std::string::npos);
}

TEST(Plot, WithoutRoutePlanTheProfilesStillShow) {
  plot_input in = built_in_scenario();
  in.plan.reset();
  const std::string svg = render_svg(in);
  EXPECT_NE(svg.find("No route plan"), std::string::npos);
  EXPECT_NE(svg.find("speed limit (km/h)"), std::string::npos);
  EXPECT_NE(svg.find(">LECCO<"), std::string::npos);
}

size_t occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Plot, ThePositionAxisEndsWhereTheLineEnds) {
  plot_input in = built_in_scenario();
  const std::string svg = render_svg(in);
  // The built-in line is 54 km; its arrays run on to 61 km.
  EXPECT_NE(svg.find(">end of line, 54.0 km<"), std::string::npos);
  EXPECT_NE(svg.find(">50<"), std::string::npos);
  EXPECT_EQ(svg.find(">60<"), std::string::npos);
  EXPECT_EQ(svg.find(">run-out<"), std::string::npos);
  // Something placed in the run-out shows it, shaded, and the axis goes on.
  in.segments[1200].kind = kSignal;  // at 59 950 m
  const std::string run_out = render_svg(in);
  EXPECT_NE(run_out.find(">run-out<"), std::string::npos);
  EXPECT_NE(run_out.find(">60<"), std::string::npos);
}

TEST(Plot, StationNamesAreShownOnce) {
  plot_input in = built_in_scenario();
  for (bool plan : {true, false}) {
    if (!plan) in.plan.reset();
    const std::string svg = render_svg(in);
    for (const char* name : {">MONZA<", ">LECCO<", ">CARNATE - USMATE<"})
      EXPECT_EQ(occurrences(svg, name), 1u) << name << (plan ? " with" : " without") << " a plan";
  }
}

TEST(Plot, ARecordedFailureIsSaidAtTheTop) {
  plot_input in = built_in_scenario();
  EXPECT_EQ(render_svg(in).find("Compiled with failure"), std::string::npos);
  in.failure = recorded_failure{16, 36950, "\"segnale\" at 36950 m: segment 740 is taken"};
  const std::string svg = render_svg(in);
  const size_t banner = svg.find(
      ">Compiled with failure 16 at 36950 m: &quot;segnale&quot; at "
      "36950 m: segment 740 is taken<");
  ASSERT_NE(banner, std::string::npos);
  EXPECT_LT(banner, svg.find("id=\"route-plan\""));  // above the picture
  in.failure = recorded_failure{25, std::nullopt, ""};
  EXPECT_NE(render_svg(in).find(">Compiled with failure 25<"), std::string::npos);
}

TEST(Plot, SpeedBoardsAndWarningPointsOnTheSpeedProfile) {
  const std::string svg = render_svg(built_in_scenario());
  // The four built-in boards by their left-side speed A, the one warning point.
  for (const char* speed : {">90<", ">110<", ">120<"})
    EXPECT_NE(svg.find(speed), std::string::npos) << speed;
  EXPECT_EQ(occurrences(svg, "<polygon"), 2u);  // the warning point and its legend
  EXPECT_NE(svg.find(">tunnels<"), std::string::npos);
  EXPECT_NE(svg.find(">signals<"), std::string::npos);
}

TEST(TextEncoding, Windows1252BecomesUtf8) {
  EXPECT_EQ(cp1252_to_utf8("Citt\xE0"), "Citt\xC3\xA0");
  EXPECT_EQ(cp1252_to_utf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(cp1252_to_utf8("\x81"), "\xEF\xBF\xBD");  // undefined in the code page
  EXPECT_EQ(xml_escape("a\x01'\""), "a\xEF\xBF\xBD&apos;&quot;");
}

}  // namespace
}  // namespace scenario::tool
