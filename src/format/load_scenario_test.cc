#include "format/load_scenario.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "system/files.h"

namespace scenario {
namespace {
namespace fs = std::filesystem;

const scenario_ids kIds{"Milano_Lecco", "L5244"};

const scenario_records& built_in() {
  static const scenario_records records = [] {
    scenario_records r;
    r.line_id = kIds.line_id;
    r.train_code = kIds.train_code;
    EXPECT_TRUE(compile_scenario(r, 1, dati_linea(), dati_treno()).compiled);
    return r;
  }();
  return records;
}

// The message of what `load` throws, when it is an `Error`; "" otherwise.
template <class Error>
std::string message_of(const std::function<void()>& load) {
  try {
    load();
  } catch (const Error& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("another error: ") + e.what();
  }
  return "";
}

class LoadScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "load-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    spill_all();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The built-in scenario's three compiled files, whole.
  void spill_all() const {
    const compiled_bytes files = compiled_files_bytes(built_in());
    spill(file_kind::geometry, files.geometry);
    spill(file_kind::table, files.table);
    spill(file_kind::segments, files.segments);
  }

  fs::path path(file_kind kind) const { return path_in(dir_, compiled_file_name(kind, kIds)); }
  void spill(file_kind kind, const std::string& bytes) const {
    std::ofstream(path(kind), std::ios::binary | std::ios::trunc) << bytes;
  }

  fs::path dir_;
};

TEST_F(LoadScenario, ACompiledScenarioComesBackWhole) {
  const loaded_scenario loaded = load_scenario(dir_, kIds);
  const scenario_records& r = loaded.records;
  EXPECT_EQ(r.line_id, kIds.line_id);
  EXPECT_EQ(r.train_code, kIds.train_code);
  EXPECT_EQ(r.build_geometry, 1);
  EXPECT_EQ(r.geometry_last, built_in().geometry_last);
  EXPECT_EQ(r.segment_last, built_in().segment_last);
  EXPECT_TRUE(compiled_files_bytes(r) == compiled_files_bytes(built_in()));
  const compiled_bytes files = compiled_files_bytes(built_in());
  EXPECT_EQ(loaded.fingerprints,
            (set_fingerprints{fingerprint(files.geometry), fingerprint(files.table),
                              fingerprint(files.segments)}));
  // The bytes in memory give the same records.
  EXPECT_TRUE(compiled_files_bytes(decode_scenario(kIds, compiled_files_bytes(built_in()))) ==
              compiled_files_bytes(built_in()));
}

TEST_F(LoadScenario, WithoutALineGeometryFileThereIsNoRoutePlan) {
  fs::remove(path(file_kind::geometry));
  const loaded_scenario loaded = load_scenario(dir_, kIds);
  const scenario_records& r = loaded.records;
  EXPECT_TRUE(loaded.fingerprints.geometry.empty());
  EXPECT_EQ(r.build_geometry, 0);
  EXPECT_EQ(r.segment_last, built_in().segment_last);
  EXPECT_TRUE(compiled_files_bytes(r).geometry.empty());
  compiled_bytes files = compiled_files_bytes(built_in());
  files.geometry.clear();
  EXPECT_EQ(decode_scenario(kIds, files).build_geometry, 0);
}

// A scenario loaded beside another whose route plan has the same bytes takes
// that plan as it is; any other plan, or a damaged one, is decoded as ever.
TEST_F(LoadScenario, APlanOfTheSameBytesIsTakenFromTheScenarioLoadedBefore) {
  const loaded_scenario first = load_scenario(dir_, kIds);
  const loaded_scenario again = load_scenario(dir_, kIds, &first);
  EXPECT_TRUE(compiled_files_bytes(again.records) == compiled_files_bytes(first.records));
  EXPECT_EQ(again.fingerprints, first.fingerprints);
  EXPECT_EQ(again.records.geometry_last, first.records.geometry_last);
  // A scenario held without its fingerprints still gives those of the files.
  loaded_scenario unprinted = first;
  unprinted.fingerprints = {};
  EXPECT_EQ(load_scenario(dir_, kIds, &unprinted).fingerprints, first.fingerprints);

  const compiled_bytes files = compiled_files_bytes(built_in());
  std::string moved = files.geometry;
  moved[8 + 10 * 98 + 2 + 3] ^= 1;  // a low bit of x at metre 100
  spill(file_kind::geometry, moved);
  const loaded_scenario other = load_scenario(dir_, kIds, &first);
  EXPECT_EQ(compiled_files_bytes(other.records).geometry, moved);
  EXPECT_EQ(other.fingerprints.geometry, fingerprint(moved));

  spill(file_kind::geometry, files.geometry.substr(0, 2) + "\x09");
  EXPECT_FALSE(message_of<compiled_file_error>([&] { load_scenario(dir_, kIds, &first); }).empty());
}

// A file that does not decode names its path and the decoder's reason; one
// that cannot be read is the reader's error, as every command reports it.
TEST_F(LoadScenario, TheFirstFaultyFileStopsTheLoad) {
  const compiled_bytes files = compiled_files_bytes(built_in());
  struct fault {
    file_kind kind;
    std::string bytes;
    file_kind reported;
    std::function<void(std::string_view)> decode;
  };
  const std::vector<fault> faults = {
      {file_kind::table, files.table.substr(0, 99), file_kind::table,
       [](std::string_view b) { decode_general_table(b); }},
      {file_kind::table, files.table + "x", file_kind::table,
       [](std::string_view b) { decode_general_table(b); }},
      {file_kind::segments, files.segments.substr(0, 18'301), file_kind::segments,
       [](std::string_view b) { decode_segments(b); }},
      {file_kind::geometry, files.geometry.substr(0, 2) + "\x09", file_kind::geometry,
       [](std::string_view b) { decode_line_geometry(b); }},
  };
  for (const fault& f : faults) {
    spill_all();
    spill(f.kind, f.bytes);
    const std::string expected = message_of<decode_error>([&] { f.decode(f.bytes); });
    ASSERT_FALSE(expected.empty());
    try {
      load_scenario(dir_, kIds);
      ADD_FAILURE() << "loaded a damaged " << kind_word(f.kind) << " file";
    } catch (const compiled_file_error& e) {
      EXPECT_EQ(e.file(), path(f.reported));
      EXPECT_EQ(e.what(), expected);
    }
    // The bytes in memory are refused alike, the file named by its name.
    compiled_bytes damaged = files;
    (f.kind == file_kind::table      ? damaged.table
     : f.kind == file_kind::segments ? damaged.segments
                                     : damaged.geometry) = f.bytes;
    EXPECT_EQ(message_of<compiled_file_error>([&] { decode_scenario(kIds, damaged); }), expected);
  }
}

TEST_F(LoadScenario, UnreadableFilesAreTheReadersErrors) {
  // A missing segment file behind a table that does not decode: the table
  // is reported, as it is read first.
  fs::remove(path(file_kind::segments));
  spill(file_kind::table, "short");
  EXPECT_NE(message_of<compiled_file_error>([&] { load_scenario(dir_, kIds); }), "");
  spill(file_kind::table, compiled_files_bytes(built_in()).table);
  EXPECT_EQ(message_of<file_error>([&] { load_scenario(dir_, kIds); }),
            message_of<file_error>([&] { read_whole_file(path(file_kind::segments)); }));
  // A file larger than any the compilation writes is not read at all.
  spill(file_kind::segments, std::string(kMostSegmentBytes + 1, '\0'));
  const std::string too_large = message_of<file_error>([&] { load_scenario(dir_, kIds); });
  EXPECT_NE(too_large.find("more than the " + std::to_string(kMostSegmentBytes)), std::string::npos)
      << too_large;
}

}  // namespace
}  // namespace scenario
