// One position for each object in every view: dump (text and JSON), the
// view page's data, the plot and decompile all state an object at the
// position its entry has in the source text.
#include "model/positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "model/fields.h"
#include "testing/longest_scenario.h"
#include "testing/scenario_texts.h"
#include "tool/decompile/decompile.h"
#include "tool/picture/plot.h"
#include "tool/picture/view.h"
#include "tool/report/dump.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

// An object as an entry of a source text writes it: its kind, the position
// the entry gives it and the offset its kind maps that position by.
struct written_object {
  uint8_t kind;
  int64_t position;
  int64_t offset;
  int64_t segment() const { return segment_index(position, offset); }
  // The position every view must show: the one written when it is a
  // multiple of 50 m, else the multiple of 50 m that lands on its segment.
  int64_t shown() const { return segment_position(segment(), offset); }
  auto key() const { return std::tuple{kind, shown()}; }
};

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ',');) {
    const size_t a = f.find_first_not_of(" \t\r"), b = f.find_last_not_of(" \t\r");
    fields.push_back(a == std::string::npos ? "" : f.substr(a, b - a + 1));
  }
  return fields;
}

// The point objects the entries of `text` write, as a reader of the text
// would find them from the keywords and the numbers after them.
std::vector<written_object> objects_written(const std::string& text) {
  std::vector<written_object> objects;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f = fields_of(line);
    if (f.size() < 2 || f[0].empty() || f[0][0] == '[' || f[0][0] == ';') continue;
    std::string key = f[0];
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto has = [&key](const char* word) { return key.find(word) != std::string::npos; };
    const auto number = [&f](size_t n) { return std::stoll(f.at(n)); };
    if (has("segnale")) {
      objects.push_back({kSignal, number(1), 1});
    } else if (has("indicatori_vmax")) {
      objects.push_back({kSpeedBoard, number(1), 1});
    } else if (has("cartello") && has("indicat")) {
      objects.push_back({kSignBoard, number(1), 1});
    } else if (has("abbattimento")) {
      objects.push_back({number(2) > 0 ? kCodePoint : kCodePointWithoutValue, number(1), 0});
    } else if (has("rallentamento")) {
      const int64_t x = number(1), l = number(3);
      const written_object start{kSlowdownStart, x, 1}, end{kSlowdownEnd, x + l, 1};
      objects.push_back(start);
      // A slowdown within one segment keeps only its start mark.
      if (end.segment() != start.segment()) objects.push_back(end);
      if (x > 1500) objects.push_back({kSlowdownWarning, x - 1200, 1});
    }
  }
  return objects;
}

std::vector<written_object> objects_written(const std::string& line, const std::string& service) {
  std::vector<written_object> all = objects_written(line);
  const std::vector<written_object> more = objects_written(service);
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

// "segment 281, at 14000 m" of each object line of the text dump.
std::map<int64_t, std::string> dumped_places(const std::vector<track_segment>& cells) {
  std::ostringstream out;
  list_segments(out, cells);
  std::map<int64_t, std::string> places;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);)
    if (line.rfind("  segment ", 0) == 0)
      places[std::stoll(line.substr(10))] = line.substr(2, line.find(": ") - 2);
  return places;
}

struct named_texts {
  std::string name;
  std::string line;
  std::string service;
};

std::vector<named_texts> scenarios() {
  const testing::scenario_texts longest = testing::dense_texts(testing::kLongestLine);
  std::vector<named_texts> all = {{"built-in", dati_linea(), dati_treno()},
                                  {"longest", longest.line_description, longest.train_service}};
  for (uint64_t seed = 1; seed <= 12; ++seed) {
    const testing::scenario_texts t = testing::varied_texts(seed);
    all.push_back({"varied " + std::to_string(seed), t.line_description, t.train_service});
  }
  return all;
}

TEST(ObjectPositions, EveryViewShowsAnObjectWhereItsEntryPutsIt) {
  for (const named_texts& s : scenarios()) {
    SCOPED_TRACE(s.name);
    scenario_records r = testing::fresh_records();
    testing::compile_or_throw(r, s.line, s.service);
    const std::vector<track_segment>& cells = r.segments;
    const json dumped = json::parse(segments_json(cells));
    const std::map<int64_t, std::string> listed = dumped_places(cells);
    const json page = view_data({r.line_id, r.train_code, std::nullopt, r.general_table, cells});
    std::map<int64_t, json> page_positions;
    for (size_t n = 0; n < page["points"]["cell"].size(); ++n)
      page_positions[page["points"]["cell"][n]] = page["points"]["position"][n];

    std::set<int64_t> found;
    for (const written_object& o : objects_written(s.line, s.service)) {
      const int64_t i = o.segment();
      ASSERT_TRUE(i >= 0 && i < static_cast<int64_t>(cells.size())) << o.position;
      if (o.position % kSegmentMetres == 0) {
        ASSERT_EQ(o.shown(), o.position);
      }
      const uint8_t kind = cells[static_cast<size_t>(i)].kind;
      // A station's stop mark is written over whatever held its segment.
      if (kind == kStopMark) continue;
      ASSERT_EQ(kind, o.kind) << "segment " << i << ", written at " << o.position;
      found.insert(i);
      const std::string where =
          "segment " + std::to_string(i) + ", at " + std::to_string(o.shown()) + " m";
      EXPECT_EQ(dumped["cells"][static_cast<size_t>(i)]["position"], o.shown()) << where;
      EXPECT_EQ(listed.at(i), where);
      EXPECT_EQ(page_positions.at(i), o.shown()) << where;
      EXPECT_EQ(plotted_position(cells, static_cast<size_t>(i)), o.shown()) << where;
    }
    // Every object an entry places by position, and no other, comes from
    // an entry of the texts (code points also come from the track-code pass).
    for (size_t i = 0; i < cells.size(); ++i) {
      const uint8_t kind = cells[i].kind;
      if (kind == kCodePoint || kind == kCodePointWithoutValue) continue;
      if (kind != kStopMark && placement_offset(kind)) {
        EXPECT_TRUE(found.contains(static_cast<int64_t>(i))) << "segment " << i;
      }
    }
    // A stop mark shows at its station's end.
    for (size_t i = 0; i < cells.size(); ++i) {
      if (cells[i].kind != kStopMark) continue;
      const general_entry& st = r.general_table.at(static_cast<size_t>(cells[i].value1));
      const written_object end{kStopMark, station_slot::extent_end.of(st), kEndOffset};
      EXPECT_EQ(end.segment(), static_cast<int64_t>(i));
      EXPECT_EQ(dumped["cells"][i]["position"], end.shown());
      EXPECT_EQ(page_positions.at(static_cast<int64_t>(i)), end.shown());
    }
    for (const plotted_slowdown& sd : slowdowns_of(cells)) {
      EXPECT_EQ(sd.from, dumped["cells"][sd.start_cell]["position"]);
      EXPECT_EQ(sd.to, dumped["cells"][sd.end_cell]["position"]);
    }
  }
}

// decompile writes each object at the position the source text gave it (a
// multiple of 50 m as written; the one that lands there for any other).
// An object a stop mark covers may come back or not, and code points are
// left out: an abbattimento and the track-code pass may each give the same.
TEST(ObjectPositions, DecompileWritesThePositionsOfTheSourceText) {
  for (const named_texts& s : scenarios()) {
    SCOPED_TRACE(s.name);
    scenario_records r = testing::fresh_records();
    testing::compile_or_throw(r, s.line, s.service);
    const auto code_point = [](const written_object& o) {
      return o.kind == kCodePoint || o.kind == kCodePointWithoutValue;
    };
    std::multiset<std::tuple<uint8_t, int64_t>> visible, written, recovered;
    for (const written_object& o : objects_written(s.line, s.service)) {
      if (code_point(o)) continue;
      written.insert(o.key());
      if (r.segments[static_cast<size_t>(o.segment())].kind == o.kind) visible.insert(o.key());
    }
    const recovered_texts t = decompile(r);
    ASSERT_TRUE(t.exact());
    for (const written_object& o : objects_written(t.line_description, t.train_service)) {
      EXPECT_EQ(o.position % kSegmentMetres, 0) << int{o.kind} << " at " << o.position;
      if (!code_point(o)) recovered.insert(o.key());
    }
    EXPECT_TRUE(std::includes(recovered.begin(), recovered.end(), visible.begin(), visible.end()));
    EXPECT_TRUE(std::includes(written.begin(), written.end(), recovered.begin(), recovered.end()));
  }
}

}  // namespace
}  // namespace scenario::tool
