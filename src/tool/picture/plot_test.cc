#include "tool/picture/plot.h"

#include <gtest/gtest.h>

#include <sstream>

#include "system/terminal_text.h"
#include "testing/built_in_scenario.h"
#include "tool/picture/label_placement.h"
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

// The banner holds 150 bytes: a longer message is cut before the character
// that would cross that limit, never inside it.
TEST(Plot, ALongFailureMessageIsCutBetweenWholeCharacters) {
  plot_input in = built_in_scenario();
  const std::string start = "Compiled with failure 16 at 36950 m: ";
  const size_t room = 147 - start.size();  // then "..."
  for (const std::string& c : {std::string("\xC3\xA0"), std::string("\xE2\x82\xAC")}) {
    for (size_t at = room - c.size() + 1; at < room; ++at) {
      SCOPED_TRACE(std::to_string(c.size()) + "-byte character at " + std::to_string(at));
      in.failure = recorded_failure{16, 36950, std::string(at, 'a') + c + std::string(80, 'b')};
      const std::string svg = render_svg(in);
      EXPECT_TRUE(is_well_formed_utf8(svg));
      EXPECT_NE(svg.find(">" + start + std::string(at, 'a') + "...<"), std::string::npos);
    }
  }
}

// Identifiers come from file names and the command line, as UTF-8; one
// that is not UTF-8 is read as Windows-1252 as the simulator would.
TEST(Plot, IdentifiersShowAsTheCharactersTheyName) {
  plot_input in = built_in_scenario();
  for (const auto& [line_id, shown] : std::vector<std::pair<std::string, std::string>>{
           {"Citt\xC3\xA0", "Citt\xC3\xA0"}, {"Citt\xE0", "Citt\xC3\xA0"}}) {
    in.line_id = line_id;
    in.train_code = "R\xC3\xA9";
    const std::string svg = render_svg(in);
    EXPECT_NE(svg.find("<title>" + shown + ", train R\xC3\xA9: "), std::string::npos)
        << svg.substr(0, 400);
    EXPECT_TRUE(is_well_formed_utf8(svg));
  }
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

// --- Labels on the route plan, checked on the picture itself ---

// A short line compiled from texts, as the tool's pictures take it.
plot_input compiled(const std::string& line, const std::string& service) {
  scenario_records r;
  r.line_id = "Labels";
  r.train_code = "T1";
  compile_scenario(r, true, line, service);
  EXPECT_EQ(r.failure_code, 0) << "at " << r.failure_position;
  return {r.line_id, r.train_code, r.track_geometry, r.general_table, r.segments};
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

std::string station_entry(int position, const std::string& name) {
  return "stazione, " + std::to_string(position) + ", 22, 400, 0, 0, 0, 0,0,0, 4,1,1, 30, 1,0,0, " +
         name;
}

// A line of `length` m with curves, stations at `stations` (each followed by
// a sign board 300 m on and a signal 600 m on), slowdowns starting 800 m
// after the stations `slowed` indexes.
plot_input line_with(int length, const std::vector<std::string>& curves,
                     const std::vector<std::pair<int, std::string>>& stations,
                     const std::vector<size_t>& slowed) {
  std::vector<std::string> line = {"[generale]", "lunghezza percorso, " + std::to_string(length),
                                   "[curve]"};
  line.insert(line.end(), curves.begin(), curves.end());
  std::vector<std::string> service = {"[generale]", "aderenza, 0, 100", "velocita, 0, 100"};
  for (size_t n = 0; n < stations.size(); ++n) {
    const int at = stations[n].first;
    line.push_back("cartello indicatore, " + std::to_string(at + 300) + ", BIVIO " +
                   std::to_string(n + 1));
    service.push_back(station_entry(at, stations[n].second));
    service.push_back("segnale, " + std::to_string(at + 600) + ", 2, 3, 1, 1, 0, 2, 2,1,1, 0");
  }
  for (size_t n : slowed)
    service.push_back("rallentamento, " + std::to_string(stations[n].first + 800) +
                      ", 30, 400, 0, 1, 30");
  line.push_back("[fine]");
  service.push_back("[fine]");
  return compiled(crlf(line), crlf(service));
}

// Out and back along a hairpin, then once round a loop: names of the two
// legs face each other across the hairpin.
plot_input line_turning_back() {
  return line_with(14000, {"curvas6, 4000, 1047", "curvad6, 9000, 2094"},
                   {{0, "PONTE NORD"},
                    {1500, "VILLAGGIO ALTO"},
                    {3500, "TORNANTE"},
                    {5500, "VILLAGGIO BASSO"},
                    {7000, "PONTE SUD"},
                    {9500, "ANELLO"},
                    {12500, "CAPOLINEA DEL LAGO"}},
                   {1, 4});
}

// 20 km winding through 14 stations with long names.
plot_input crowded_line() {
  std::vector<std::string> curves;
  for (int at = 500; at < 19000; at += 1500)
    curves.push_back(std::string(at / 1500 % 2 == 0 ? "curvas3, " : "curvad3, ") +
                     std::to_string(at) + ", 700");
  const char* const names[] = {"SAN VITTORE OLONA",
                               "CERRO MAGGIORE - RESCALDINA",
                               "LEGNANO",
                               "CASTELLANZA",
                               "BUSTO ARSIZIO NORD",
                               "BUSTO ARSIZIO",
                               "GALLARATE",
                               "CAVARIA - OGGIONA - JERAGO",
                               "ALBIZZATE",
                               "CASTRONNO",
                               "GAZZADA - SCHIANNO",
                               "VARESE CASBENO",
                               "VARESE",
                               "VARESE NORD"};
  std::vector<std::pair<int, std::string>> stations;
  for (int n = 0; n < 14; ++n) stations.emplace_back(n * 1450, names[n]);
  return line_with(20000, curves, stations, {2, 6, 10});
}

struct svg_text {
  std::string content;
  box where;
};

// The texts of the route plan and the points of its polylines (the track,
// the run-out, and the tunnels and slowdowns drawn over the track), read
// back from the picture; a text's box is estimated from its font size and
// characters as the plot estimates it, plus any dx between its parts.
struct plan_picture {
  std::vector<svg_text> texts;
  std::vector<std::vector<point>> lines;
};

// The value of attribute `name` in an element's opening tag; "" if none.
std::string attribute(std::string_view tag, const std::string& name) {
  const size_t at = tag.find(" " + name + "=\"");
  if (at == std::string_view::npos) return "";
  const size_t from = at + name.size() + 3;
  return std::string(tag.substr(from, tag.find('"', from) - from));
}

// Pieces of the picture, read by hand: the points run too long for
// std::regex.
std::vector<point> points_of(const std::string& list) {
  std::vector<point> points;
  std::istringstream in(list);
  point p;
  char comma = 0;
  while (in >> p.x >> comma >> p.y) points.push_back(p);
  return points;
}

// A text's characters without its tags, an entity counted as one.
std::string characters_of(std::string_view inner) {
  std::string s;
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '<')
      i = inner.find('>', i);
    else if (inner[i] == '&')
      i = inner.find(';', i), s += '&';
    else
      s += inner[i];
  }
  return s;
}

plan_picture read_plan(const std::string& svg) {
  const size_t from = svg.find("<g id=\"route-plan\">");
  const std::string g = svg.substr(from, svg.find("</g>", from) - from);
  plan_picture picture;
  for (size_t at = g.find("<polyline"); at != std::string::npos; at = g.find("<polyline", at + 1))
    picture.lines.push_back(
        points_of(attribute(std::string_view(g).substr(at, g.find('>', at) - at), "points")));
  for (size_t at = g.find("<text "); at != std::string::npos; at = g.find("<text ", at + 1)) {
    const size_t open_end = g.find('>', at);
    const std::string_view tag = std::string_view(g).substr(at, open_end - at);
    const std::string_view inner =
        std::string_view(g).substr(open_end + 1, g.find("</text>", at) - open_end - 1);
    EXPECT_EQ(tag.find("transform"), std::string::npos) << inner;
    EXPECT_EQ(tag.find("text-anchor"), std::string::npos) << inner;
    const double size = std::stod(attribute(tag, "font-size"));
    double gaps = 0;
    for (size_t d = inner.find(" dx=\""); d != std::string::npos; d = inner.find(" dx=\"", d + 1))
      gaps += std::stod(std::string(inner.substr(d + 5)));
    const std::string content = characters_of(inner);
    picture.texts.push_back(
        {content, text_box(std::stod(attribute(tag, "x")), std::stod(attribute(tag, "y")),
                           text_width(content, size) + gaps, size)});
  }
  return picture;
}

// No label of the plan crosses a line of it or another label.
void expect_labels_clear(const plot_input& in, const std::string& what) {
  const plan_picture picture = read_plan(render_svg(in));
  ASSERT_FALSE(picture.lines.empty()) << what;
  ASSERT_GT(picture.texts.size(), 1u) << what;
  for (size_t i = 0; i < picture.texts.size(); ++i) {
    const svg_text& t = picture.texts[i];
    for (const std::vector<point>& line : picture.lines) {
      size_t p = 1;
      while (p < line.size() && !crosses(line[p - 1], line[p], t.where)) ++p;
      EXPECT_EQ(p, std::max<size_t>(line.size(), 1))
          << what << ": \"" << t.content << "\" crosses the track at " << line[p].x << ","
          << line[p].y;
    }
    for (size_t j = 0; j < i; ++j)
      EXPECT_FALSE(t.where.overlaps(picture.texts[j].where))
          << what << ": \"" << t.content << "\" over \"" << picture.texts[j].content << "\"";
  }
}

TEST(PlotLabels, NeitherCrossTheTrackNorEachOther) {
  expect_labels_clear(built_in_scenario(), "built-in");
  expect_labels_clear(line_turning_back(), "turning back");
  expect_labels_clear(crowded_line(), "crowded");
}

// Every station is named on the plan itself, and every slowdown's speed
// shown there, with nothing left over for the list under the plan.
TEST(PlotLabels, EveryStationAndSlowdownIsLabelledOnThePlan) {
  for (const auto& [what, in] : {std::pair{"built-in", built_in_scenario()},
                                 {"turning back", line_turning_back()},
                                 {"crowded", crowded_line()}}) {
    const std::string svg = render_svg(in);
    const plan_picture picture = read_plan(svg);
    auto labelled = [&](const std::string& content) {
      return std::count_if(picture.texts.begin(), picture.texts.end(),
                           [&](const svg_text& t) { return t.content == content; });
    };
    const std::vector<plotted_station> stations = stations_of(in.table, in.segments);
    for (size_t n = 0; n < stations.size(); ++n)
      EXPECT_EQ(labelled(std::to_string(n + 1) + stations[n].name), 1) << what << " " << n + 1;
    for (const plotted_slowdown& sd : slowdowns_of(in.segments))
      EXPECT_GE(labelled(std::to_string(sd.speed) + " km/h"), 1) << what;
    EXPECT_EQ(svg.find("without room"), std::string::npos) << what;
  }
}

// Each sign board gets a mark on the plan and one in the bands, its text on
// hover.
TEST(PlotLabels, SignBoardsAreDrawnWithTheirText) {
  const plot_input in = crowded_line();
  const std::string svg = render_svg(in);
  for (int n = 1; n <= 14; ++n) {
    const std::string title = " m: BIVIO " + std::to_string(n) + "</title>";
    EXPECT_EQ(occurrences(svg, title), 2u) << title;
  }
  EXPECT_NE(svg.find("sign board at 300 m: BIVIO 1</title>"), std::string::npos);
  EXPECT_NE(svg.find(">sign board<"), std::string::npos);  // in the legend
}

// Where the names cannot all find room, the rest are listed under the
// plan, each name still shown once.
TEST(PlotLabels, NamesWithoutRoomAreListedUnderThePlan) {
  plot_input in = crowded_line();
  for (int slot = 1; slot <= 14; ++slot)
    in.table[static_cast<size_t>(slot)].text = std::string(60, 'W') + std::to_string(slot);
  const std::string svg = render_svg(in);
  EXPECT_NE(svg.find("without room for their names"), std::string::npos);
  for (int slot = 1; slot <= 14; ++slot)
    EXPECT_EQ(occurrences(svg, std::string(60, 'W') + std::to_string(slot) + "<"), 1u) << slot;
  expect_labels_clear(in, "crowded, long names");
}

TEST(TextEncoding, Windows1252BecomesUtf8) {
  EXPECT_EQ(cp1252_to_utf8("Citt\xE0"), "Citt\xC3\xA0");
  EXPECT_EQ(cp1252_to_utf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(cp1252_to_utf8("\x81"), "\xEF\xBF\xBD");  // undefined in the code page
  EXPECT_EQ(xml_escape("a\x01'\""), "a\xEF\xBF\xBD&apos;&quot;");
}

}  // namespace
}  // namespace scenario::tool
