#include "tool/plot.h"

#include <gtest/gtest.h>

#include "tool/text_encoding.h"
#include "tool/tool_test_support.h"

namespace scenario::tool {
namespace {

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

TEST(TextEncoding, Windows1252BecomesUtf8) {
  EXPECT_EQ(cp1252_to_utf8("Citt\xE0"), "Citt\xC3\xA0");
  EXPECT_EQ(cp1252_to_utf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(cp1252_to_utf8("\x81"), "\xEF\xBF\xBD");  // undefined in the code page
  EXPECT_EQ(xml_escape("a\x01'\""), "a\xEF\xBF\xBD&apos;&quot;");
}

}  // namespace
}  // namespace scenario::tool
