#include "tool/diff/scenario_diff.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/load_scenario.h"
#include "testing/scenario_texts.h"
#include "tool/diff/diff_json.h"
#include "tool/diff/diff_text.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

struct compiled_pair {
  compiled_bytes bytes;
  scenario_records records;  // as read back from the bytes
  bool compiled = false;
};

// Two texts compiled and read back from the bytes they give, as diff reads
// a pair of texts.
compiled_pair compile_texts(const std::string& line, const std::string& service) {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  const compilation result = compile_scenario(r, true, line, service);
  compiled_pair out;
  out.compiled = result.compiled && result.stamp_error == 0;
  if (!out.compiled) return out;
  out.bytes = compiled_files_bytes(r);
  out.records = decode_scenario({r.line_id, r.train_code}, out.bytes);
  return out;
}

std::string edited(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "more than one " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string text_of(const scenario_diff& diff, const scenario_records* a = nullptr,
                    const scenario_records* b = nullptr, int context = 0) {
  std::ostringstream out;
  write_diff_text(out, diff, {b ? &b->segments : nullptr, a ? &a->segments : nullptr, context});
  return out.str();
}

json json_of(const scenario_diff& diff) {
  std::ostringstream out;
  write_diff_json(out, diff, "old", "new");
  return json::parse(out.str());
}

std::string place(const json& at) {
  return at.is_null() ? "-" : std::to_string(at["index"].get<int>());
}

// The JSON read back as one short line per change, to hold against the
// expected changes independently of the text.
std::vector<std::string> json_summary(const json& j) {
  std::vector<std::string> lines;
  for (const json& slot : j["table"])
    for (const json& f : slot["fields"])
      lines.push_back("slot " + slot["slot"].dump() + " " + f["name"].get<std::string>() + " " +
                      f["old"].dump() + " -> " + f["new"].dump());
  const json& segments = j["segments"];
  if (segments["cells"]["old"] != segments["cells"]["new"])
    lines.push_back("cells " + segments["cells"]["old"].dump() + " -> " +
                    segments["cells"]["new"].dump());
  for (const json& o : segments["objects"])
    lines.push_back(o["change"].get<std::string>() + " " + o["kind_name"].get<std::string>() + " " +
                    place(o["old"]) + " -> " + place(o["new"]));
  for (const json& a : segments["approach_marks"])
    lines.push_back("approach marks " + a["segments"][0].dump() + ".." + a["segments"][1].dump());
  for (const json& p : j["profiles"])
    lines.push_back(p["property"].get<std::string>() + " " + p["km"].get<std::string>() + " " +
                    p["old"].dump() + " -> " + p["new"].dump());
  if (!j["route_plan"].is_null()) {
    for (const json& r : j["route_plan"]["ranges"])
      lines.push_back("route plan " + r["metres"][0].dump() + ".." + r["metres"][1].dump());
    const json& last = j["route_plan"]["last_metre"];
    if (last["old"] != last["new"])
      lines.push_back("route plan last " + last["old"].dump() + " -> " + last["new"].dump());
  }
  EXPECT_EQ(j["same"].get<bool>(), lines.empty());
  return lines;
}

json swapped_json(json j) {
  if (j.is_object()) {
    if (j.contains("old") && j.contains("new")) std::swap(j["old"], j["new"]);
    if (j.contains("change")) {
      if (j["change"] == "added")
        j["change"] = "removed";
      else if (j["change"] == "removed")
        j["change"] = "added";
    }
    if (j.contains("old_text")) std::swap(j["old_text"], j["new_text"]);
    for (auto& [key, value] : j.items()) value = swapped_json(value);
  } else if (j.is_array()) {
    for (json& v : j) v = swapped_json(v);
  }
  return j;
}

// The changes from b to a are those from a to b with old and new swapped.
void expect_mirrored(const scenario_records& a, const scenario_records& b) {
  const json ab = json_of(diff_scenarios(a, b)), ba = json_of(diff_scenarios(b, a));
  json mirrored = swapped_json(ab);
  mirrored["old"] = "old";  // the names compared stay where the caller put them
  mirrored["new"] = "new";
  EXPECT_EQ(ba, mirrored);
}

struct single_edit {
  const char* what;
  bool in_line_text;  // else in the train service text
  const char* from;
  const char* to;
  std::vector<std::string> text;  // the expected lines
  std::vector<std::string> json;  // the expected changes as json_summary gives them
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ScenarioDiff, EachSingleEditOfTheBuiltInTextsGivesExactlyItsChanges) {
  const std::vector<single_edit> edits = {
      {"a signal moved by 100 m (its approach marks and a code point follow it)",
       false,
       "segnale,   14000,",
       "segnale,   14100,",
       {"segments",
        "  moved code point: segment 279, at 13950 m -> segment 282, at 14100 m: value1 "
        "(code)=180",
        "  moved signal: segment 281, at 14000 m -> segment 283, at 14100 m: value1 "
        "(s1*10+d1)=42 value2 (s2*10+d2)=11 value3 (s3*10+d3)=11 value4 (rapp*10+sx*3+dx)=8 "
        "signal_time=0",
        "  approach marks, segments 273..281, covering 13650-14100 m: 273=84 275=83 277=82 "
        "279=81 -> 275=84 277=83 279=82 281=81"},
       {"moved code point 279 -> 282", "moved signal 281 -> 283", "approach marks 273..281"}},
      {"a signal's aspects changed",
       false,
       "segnale,   14000,   2, 4,",
       "segnale,   14000,   2, 3,",
       {"segments", "  changed signal, segment 281, at 14000 m: value1 (s1*10+d1) 42 -> 32"},
       {"changed signal 281 -> 281"}},
      {"a station renamed",
       false,
       "MONZA",
       "MONZA NORD",
       {"table", "  slot 4, station: text (name) \"MONZA\" -> \"MONZA NORD\""},
       {"slot 4 text \"MONZA\" -> \"MONZA NORD\""}},
      {"a stop time changed",
       false,
       "5,1,1,   30,",
       "5,1,1,   45,",
       {"table", "  slot 4, station: option_c (stop time s) 30 -> 45"},
       {"slot 4 option_c 30 -> 45"}},
      {"a tunnel lengthened",
       true,
       "montagna,   34300,  34800,",
       "montagna,   34300,  35000,",
       {"profiles", "  tunnel type km 34+800-35+000 (segments 696..699): 0 (open line) -> 2"},
       {"tunnel_type km 34+800-35+000 0 -> 2"}},
      {"a speed profile step moved",
       false,
       "velocita,    8000,   110",
       "velocita,    8500,   110",
       {"profiles", "  speed limit km 8+000-8+500 (segments 160..169): 110 -> 90 km/h"},
       {"speed_limit km 8+000-8+500 22 -> 18"}},
      {"a curve changed (the rest of the line moves with it)",
       true,
       "curvad2,  8500,  2300",
       "curvad3,  8500,  2300",
       {"route plan", "  metres 8501-60998: moved, largest displacement 20915.795 m"},
       {"route plan 8501..60998"}},
      {"a slowdown added",
       false,
       "rallentamento,   13200,    30,  750, 0,  1,  30\r\n",
       "rallentamento,   13200,    30,  750, 0,  1,  30\r\n"
       "rallentamento,   31000,    60,  500, 0,  1,  60\r\n",
       {"segments",
        "  added slowdown lead-in, segment 593, covering 29650-29700 m: value1 (step)=4 value2 "
        "(step (d_v))=4",
        "  added slowdown lead-in, segment 594, covering 29700-29750 m: value1 (step)=3 value2 "
        "(step (d_v))=3",
        "  added slowdown lead-in, segment 595, covering 29750-29800 m: value1 (step)=2 value2 "
        "(step (d_v))=2",
        "  added slowdown lead-in, segment 596, covering 29800-29850 m: value1 (step)=1 value2 "
        "(step (d_v))=1",
        "  added slowdown warning, segment 597, at 29800 m: value1 (speed km/h)=60 value2 "
        "(d_v)=60",
        "  added code point, segment 603, at 30150 m: value1 (code)=180",
        "  added code point, segment 610, at 30500 m: value1 (code)=180",
        "  added code point, segment 616, at 30800 m: value1 (code)=180",
        "  added slowdown start, segment 621, at 31000 m: value1 (speed km/h)=60 value2 "
        "(d_v)=60 value3 (f_tt)=0",
        "  added code point, segment 629, at 31450 m: value1 (code)=180",
        "  added slowdown end, segment 631, at 31500 m: value1 (speed km/h)=60 value2 (d_v)=60 "
        "value3 (f_tt)=0",
        "  added code point, segment 640, at 32000 m: value1 (code)=180"},
       {"added slowdown lead-in - -> 593", "added slowdown lead-in - -> 594",
        "added slowdown lead-in - -> 595", "added slowdown lead-in - -> 596",
        "added slowdown warning - -> 597", "added code point - -> 603", "added code point - -> 610",
        "added code point - -> 616", "added slowdown start - -> 621", "added code point - -> 629",
        "added slowdown end - -> 631", "added code point - -> 640"}},
      {"the route length changed",
       true,
       "lunghezza percorso,    54000",
       "lunghezza percorso,    55000",
       {"table", "  slot 84, train and line size: value_b (lunghezza percorso m) 54000 -> 55000",
        "segments", "  cells: 1221 -> 1241 (0..1220 -> 0..1240)", "profiles",
        "  speed limit km 60+900-61+050 (segments 1218..1220): 0 -> 30 km/h",
        "  gradient km 60+900-61+050 (segments 1218..1220): -100 -> 0",
        "  adhesion km 60+900-61+050 (segments 1218..1220): 0 -> 100", "route plan",
        "  metres 60999-61000: moved (no finite coordinates on both sides to measure by)",
        "  length: metres 0..61000 -> 0..62000 (+1000 m)"},
       {"slot 84 value_b 54000 -> 55000", "cells 1221 -> 1241",
        "speed_limit km 60+900-61+050 0 -> 6", "gradient km 60+900-61+050 0 -> 100",
        "adhesion km 60+900-61+050 0 -> 100", "route plan 60999..61000",
        "route plan last 61000 -> 62000"}},
  };
  const std::string line = dati_linea(), service = dati_treno();
  const compiled_pair original = compile_texts(line, service);
  ASSERT_TRUE(original.compiled);
  for (const single_edit& e : edits) {
    SCOPED_TRACE(e.what);
    const compiled_pair changed = e.in_line_text
                                      ? compile_texts(edited(line, e.from, e.to), service)
                                      : compile_texts(line, edited(service, e.from, e.to));
    ASSERT_TRUE(changed.compiled);
    const scenario_diff diff = diff_scenarios(original.records, changed.records);
    EXPECT_EQ(lines_of(text_of(diff)), e.text);
    EXPECT_EQ(json_summary(json_of(diff)), e.json);
    expect_mirrored(original.records, changed.records);
  }
}

TEST(ScenarioDiff, AScenarioAgainstItselfHasNoChanges) {
  const compiled_pair built_in = compile_texts(dati_linea(), dati_treno());
  const scenario_diff diff = diff_scenarios(built_in.records, built_in.records);
  EXPECT_TRUE(diff.empty());
  EXPECT_EQ(text_of(diff, &built_in.records, &built_in.records, 3), "");
  EXPECT_TRUE(json_of(diff)["same"].get<bool>());
}

// A seed's texts, and an edit of one of their digits that the seed chooses:
// some edits change nothing that is stored, some change a value, some
// refuse to compile (those pairs are left out).
std::pair<testing::scenario_texts, testing::scenario_texts> varied_pair(uint64_t seed) {
  testing::random pick(seed * 7919 + 1);
  const int64_t length = pick.between(3, 40) * 1000;
  testing::scenario_texts a = testing::varied_texts(seed, length);
  switch (pick.between(0, 3)) {
    case 0:
      return {a, a};
    case 1:
      return {a, testing::varied_texts(seed + 1000, length)};
    default:
      break;
  }
  testing::scenario_texts b = a;
  std::string& text = pick.chance(50) ? b.line_description : b.train_service;
  for (int tries = 0; tries < 100; ++tries) {
    const auto at = static_cast<size_t>(pick.between(0, static_cast<int64_t>(text.size()) - 1));
    if (text[at] < '0' || text[at] > '9') continue;
    text[at] = static_cast<char>('0' + (text[at] - '0' + pick.between(1, 9)) % 10);
    break;
  }
  return {a, b};
}

TEST(ScenarioDiff, VariedPairsDifferExactlyWhenTheirFilesDoAndMirrorEachOther) {
  int equal = 0, different = 0;
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto [ta, tb] = varied_pair(seed);
    const compiled_pair a = compile_texts(ta.line_description, ta.train_service);
    const compiled_pair b = compile_texts(tb.line_description, tb.train_service);
    if (!a.compiled || !b.compiled) continue;
    const bool same_bytes = a.bytes == b.bytes;
    (same_bytes ? equal : different) += 1;
    const scenario_diff diff = diff_scenarios(a.records, b.records);
    EXPECT_EQ(diff.empty(), same_bytes);
    EXPECT_EQ(text_of(diff).empty(), same_bytes);
    expect_mirrored(a.records, b.records);
  }
  // Both directions of the property must have been tried.
  EXPECT_GT(equal, 0);
  EXPECT_GT(different, 0);
}

track_segment signal_cell(int16_t aspects) {
  track_segment s;
  s.kind = kSignal;
  s.value1 = aspects;
  s.value4 = 8;
  return s;
}

scenario_records with_cells(std::vector<track_segment> cells) {
  scenario_records r;
  r.segments = std::move(cells);
  return r;
}

TEST(ScenarioDiff, RemovedAndAddedObjectsPairNearestFirstAsMoves) {
  // Two like signals move each by one cell; a third, unlike, is replaced.
  std::vector<track_segment> old_cells(40), new_cells(40);
  old_cells[10] = signal_cell(42);
  old_cells[20] = signal_cell(42);
  old_cells[30] = signal_cell(32);
  new_cells[11] = signal_cell(42);
  new_cells[21] = signal_cell(42);
  new_cells[30].kind = kSpeedBoard;
  new_cells[30].value1 = 2;
  const scenario_diff diff = diff_scenarios(with_cells(old_cells), with_cells(new_cells));
  ASSERT_EQ(diff.objects.size(), 4u);
  const std::vector<std::tuple<object_change_kind, int64_t, int64_t>> expected = {
      {object_change_kind::moved, 10, 11},
      {object_change_kind::moved, 20, 21},
      {object_change_kind::removed, 30, -1},
      {object_change_kind::added, -1, 30}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(diff.objects[i].change, std::get<0>(expected[i])) << i;
    EXPECT_EQ(diff.objects[i].old_index.value_or(-1), std::get<1>(expected[i])) << i;
    EXPECT_EQ(diff.objects[i].new_index.value_or(-1), std::get<2>(expected[i])) << i;
  }
  expect_mirrored(with_cells(old_cells), with_cells(new_cells));
}

// Too many like objects to weigh every pair: they pair in line order, each
// still one move.
TEST(ScenarioDiff, ManyLikeObjectsMovedPairInLineOrder) {
  std::vector<track_segment> old_cells(1000), new_cells(1000);
  for (size_t i = 0; i < 300; ++i) {
    old_cells[3 * i] = signal_cell(42);
    new_cells[3 * i + 1] = signal_cell(42);
  }
  const scenario_diff diff = diff_scenarios(with_cells(old_cells), with_cells(new_cells));
  ASSERT_EQ(diff.objects.size(), 300u);
  for (size_t i = 0; i < 300; ++i) {
    EXPECT_EQ(diff.objects[i].change, object_change_kind::moved) << i;
    EXPECT_EQ(diff.objects[i].old_index, static_cast<int64_t>(3 * i)) << i;
    EXPECT_EQ(diff.objects[i].new_index, static_cast<int64_t>(3 * i + 1)) << i;
  }
  expect_mirrored(with_cells(old_cells), with_cells(new_cells));
}

TEST(ScenarioDiff, ContextShowsTheUnchangedObjectsAroundAChange) {
  std::vector<track_segment> old_cells(40);
  for (int i : {5, 10, 20, 30, 35}) old_cells[static_cast<size_t>(i)] = signal_cell(42);
  std::vector<track_segment> new_cells = old_cells;
  new_cells[20].value1 = 32;
  const scenario_records a = with_cells(old_cells), b = with_cells(new_cells);
  const std::vector<std::string> lines = lines_of(text_of(diff_scenarios(a, b), &a, &b, 1));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1].substr(0, 27), "  = signal, segment 10, at ");
  EXPECT_EQ(lines[2].substr(0, 30), "  changed signal, segment 20, ");
  EXPECT_EQ(lines[3].substr(0, 27), "  = signal, segment 30, at ");
}

TEST(ScenarioDiff, ARoutePlanOnOneSideOnlyIsAChange) {
  const compiled_pair built_in = compile_texts(dati_linea(), dati_treno());
  scenario_records without = built_in.records;
  without.build_geometry = false;
  without.track_geometry = route_plan();
  const scenario_diff diff = diff_scenarios(built_in.records, without);
  ASSERT_TRUE(diff.plan);
  EXPECT_EQ(diff.plan->new_last, -1);
  EXPECT_EQ(diff.plan->old_last, built_in.records.track_geometry.last());
  EXPECT_EQ(lines_of(text_of(diff)),
            (std::vector<std::string>{
                "route plan", "  only in the old scenario (the other has no line geometry file)"}));
}

TEST(ScenarioDiff, KilometresAreWrittenAsThePostsShowThem) {
  for (const auto& [metres, text] : std::vector<std::pair<int64_t, std::string>>{
           {0, "km 0+000"}, {8000, "km 8+000"}, {13050, "km 13+050"}, {1000000, "km 1000+000"}})
    EXPECT_EQ(km_text(metres), text);
}

}  // namespace
}  // namespace scenario::tool
