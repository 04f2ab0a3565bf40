// dump's two listings of the segment file, text and JSON, hold the same
// cells with the same values, whatever the scenario.
#include "tool/report/dump.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/fields.h"
#include "testing/built_in_scenario.h"
#include "testing/longest_scenario.h"
#include "testing/scenario_texts.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

struct named_cells {
  std::string name;
  std::vector<track_segment> cells;
};

std::vector<track_segment> compiled_cells(const testing::scenario_texts& t) {
  scenario_records r = testing::fresh_records();
  testing::compile_or_throw(r, t.line_description, t.train_service);
  return r.segments;
}

std::vector<named_cells> scenarios() {
  std::vector<named_cells> all = {
      {"built-in", testing::built_in_scenario().segments},
      {"longest", compiled_cells(testing::dense_texts(testing::kLongestLine))}};
  for (uint64_t seed = 1; seed <= 12; ++seed)
    all.push_back({"varied " + std::to_string(seed), compiled_cells(testing::varied_texts(seed))});
  return all;
}

// What the text listing says of each cell: the fields it names, from the
// object lines ("segment 281, at 14000 m: signal [1] value1=42 ...") and
// from the runs ("segments 0..479, covering 0-24000 m: 100 (0)").
struct text_listing {
  size_t header_count = 0;
  std::map<size_t, std::map<std::string, int>> fields;  // by cell index
  std::vector<std::string> faults;
};

text_listing read_text_listing(const std::string& text) {
  text_listing t;
  std::istringstream in(text);
  std::string line, property;
  std::getline(in, line);
  t.header_count = std::stoul(line.substr(line.find(": ") + 2));
  size_t next_run = 0;
  // The runs of a property cover every cell, one after the other.
  auto runs_end = [&](const std::string& name) {
    if (!name.empty() && name != "objects" && next_run != t.header_count)
      t.faults.push_back(name + " runs end at " + std::to_string(next_run));
  };
  while (std::getline(in, line)) {
    if (line.rfind("  segment ", 0) == 0) {
      const size_t index = std::stoul(line.substr(10));
      std::map<std::string, int>& f = t.fields[index];
      const size_t open = line.find(" [", line.find(": "));
      f["kind"] = std::stoi(line.substr(open + 2));
      // A field is written "name=v", or "name (meaning)=v" where the
      // meaning may hold blanks and parentheses but no "=".
      const std::string rest = line.substr(line.find(']', open) + 1);
      for (size_t n = 1; n < kPointFieldCount; ++n) {
        const std::string name(kSegmentFieldList[n].name);
        size_t at = rest.find(" " + name + "=");
        if (at != std::string::npos) {
          f[name] = std::stoi(rest.substr(at + name.size() + 2));
        } else if ((at = rest.find(" " + name + " (")) != std::string::npos) {
          f[name] = std::stoi(rest.substr(rest.find(")=", at) + 2));
        }
      }
    } else if (line.rfind("  segments ", 0) == 0) {
      const size_t first = std::stoul(line.substr(11));
      const size_t last = std::stoul(line.substr(line.find("..") + 2));
      const int value = std::stoi(line.substr(line.find(": ") + 2));
      if (first != next_run) t.faults.push_back(property + " run starts at " + line);
      next_run = last + 1;
      for (size_t i = first; i <= last; ++i) t.fields[i][property] = value;
    } else if (!line.empty() && line.back() == ':') {
      runs_end(property);
      property = line.substr(0, line.find_first_of(" :"));
      next_run = 0;
    }
  }
  runs_end(property);
  return t;
}

TEST(Dump, JsonAndTextListTheSameCells) {
  for (const named_cells& s : scenarios()) {
    SCOPED_TRACE(s.name);
    std::ostringstream text;
    list_segments(text, s.cells);
    const text_listing t = read_text_listing(text.str());
    EXPECT_EQ(t.faults, std::vector<std::string>{});
    const json j = json::parse(segments_json(s.cells));
    ASSERT_EQ(j["cell_count"], s.cells.size());
    EXPECT_EQ(t.header_count, s.cells.size());
    // Every cell, the run-out's empty ones too, in order.
    ASSERT_EQ(j["cells"].size(), s.cells.size());
    for (size_t i = 0; i < s.cells.size(); ++i) {
      const json& c = j["cells"][i];
      ASSERT_EQ(c["index"], i);
      const auto listed = t.fields.find(i);
      ASSERT_NE(listed, t.fields.end()) << "cell " << i << " is not in the text listing";
      for (const auto& [name, value] : listed->second)
        ASSERT_EQ(c[name], value) << "cell " << i << " " << name;
      // What the text leaves out of an object line is zero in the JSON.
      for (size_t f = 0; f < kPointFieldCount; ++f) {
        const std::string name(kSegmentFieldList[f].name);
        if (!listed->second.contains(name)) {
          ASSERT_EQ(c[name], 0) << "cell " << i << " " << name;
        }
      }
    }
  }
}

}  // namespace
}  // namespace scenario::tool
