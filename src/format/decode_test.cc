#include "format/decode.h"

#include <gtest/gtest.h>

#include <sstream>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "format/compiled_files.h"

namespace scenario {
namespace {

// The three compiled files of the built-in scenario, as the writers make them.
struct built_in_files {
  built_in_files() {
    scenario_records r;
    r.line_id = "Milano_Lecco";
    r.train_code = "L5244";
    const std::string line = dati_linea(), service = dati_treno();
    const compilation c = compile_scenario(r, 1, line, service);
    EXPECT_TRUE(c.compiled);
    std::ostringstream g, t, s;
    write_line_geometry(g, r.track_geometry);
    write_general_table(t, r.general_table);
    write_segments(s, r.segments);
    geometry = g.str(), table = t.str(), segments = s.str();
  }
  std::string geometry, table, segments;
};

const built_in_files& files() {
  static const built_in_files f;
  return f;
}

TEST(Decode, EveryCompiledFileRoundTrips) {
  std::ostringstream g, t, s;
  write_line_geometry(g, decode_line_geometry(files().geometry));
  write_general_table(t, decode_general_table(files().table));
  write_segments(s, decode_segments(files().segments));
  EXPECT_TRUE(g.str() == files().geometry);
  EXPECT_TRUE(t.str() == files().table);
  EXPECT_TRUE(s.str() == files().segments);
}

TEST(Decode, FieldsLandWhereTheRecordsHoldThem) {
  const route_plan plan = decode_line_geometry(files().geometry);
  EXPECT_EQ(plan.last(), 61000);
  EXPECT_EQ(plan.tag(1, 1), cell_tag::integer);
  EXPECT_EQ(plan.value(1, 1), 1.0);
  EXPECT_EQ(plan.tag(61000, 0), cell_tag::empty);
  EXPECT_NEAR(plan.value(1800, 0), -44.82, 0.005);
  EXPECT_NEAR(plan.value(1800, 1), 1795.52, 0.005);

  const general_table_t table = decode_general_table(files().table);
  EXPECT_EQ(table[14].text, "LECCO");
  EXPECT_EQ(table[14].value_b, 50350);
  EXPECT_EQ(table[86].number_d, 24);

  const std::vector<track_segment> cells = decode_segments(files().segments);
  ASSERT_EQ(cells.size(), 1221u);
  EXPECT_EQ(cells[1006].kind, kStopMark);
  EXPECT_EQ(cells[1006].value1, 14);
  EXPECT_EQ(cells[1].value1, kSegmentStamp);
}

// Damaged files are refused at the offset where they stop making sense.
TEST(Decode, DamagedFilesAreRefusedWithTheirOffset) {
  const std::string& g = files().geometry;
  const std::string& t = files().table;
  const std::string& s = files().segments;
  struct damaged {
    const char* what;
    std::function<void()> decode;
    size_t offset;
  };
  std::string unknown_tag = g;
  unknown_tag[4] = 7;  // the tag of metre 1, column 0
  std::string long_text = t;
  long_text[14] = 'x';  // slot 0's text count: 120 bytes that are not there as text
  const std::vector<damaged> cases = {
      {"empty geometry", [] { decode_line_geometry(""); }, 0},
      {"geometry cut inside a float", [&] { decode_line_geometry(g.substr(0, 13)); }, 10},
      {"geometry with one column short", [&] { decode_line_geometry(g.substr(0, g.size() - 2)); },
       g.size() - 2},
      {"unknown cell tag", [&] { decode_line_geometry(unknown_tag); }, 4},
      {"table cut short", [&] { decode_general_table(t.substr(0, t.size() - 1)); }, t.size() - 4},
      {"table with bytes after slot 86", [&] { decode_general_table(t + "x"); }, t.size()},
      {"empty table", [] { decode_general_table(""); }, 0},
      {"segments of an odd size", [&] { decode_segments(s.substr(0, 20)); }, 15},
      {"empty segments", [] { decode_segments(""); }, 0},
  };
  for (const damaged& c : cases) {
    try {
      c.decode();
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const decode_error& e) {
      EXPECT_EQ(e.offset(), c.offset) << c.what << ": " << e.what();
    }
  }
  EXPECT_THROW(decode_general_table(long_text.substr(0, 200)), decode_error);
}

TEST(Decode, ArbitraryBytesNeverCrash) {
  // Every prefix of a real file, and some bytes that are nothing at all.
  const std::string& t = files().table;
  for (size_t n = 0; n < 400; ++n) {
    const std::string_view bytes(t.data(), n);
    for (auto decode : {+[](std::string_view b) { decode_line_geometry(b); },
                        +[](std::string_view b) { decode_general_table(b); },
                        +[](std::string_view b) { decode_segments(b); }}) {
      try {
        decode(bytes);
      } catch (const decode_error&) {
      }
    }
  }
}

TEST(Decode, KindNamedByItsWord) {
  for (file_kind kind : {file_kind::geometry, file_kind::table, file_kind::segments}) {
    file_kind k = kind == file_kind::table ? file_kind::segments : file_kind::table;
    ASSERT_TRUE(kind_from_word(kind_word(kind), k)) << kind_word(kind);
    EXPECT_EQ(k, kind);
  }
  file_kind k;
  EXPECT_TRUE(kind_from_word("table", k));
  EXPECT_EQ(k, file_kind::table);
  EXPECT_FALSE(kind_from_word("tables", k));
}

}  // namespace
}  // namespace scenario
