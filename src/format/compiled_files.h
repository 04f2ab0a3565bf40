// The three compiled files the simulator loads byte for byte: the line
// geometry file (route plan), the table file (general table) and the segment
// file (segment array).  Every field is written one by one, little-endian and
// packed, so the bytes never depend on the host's layout of the records.
#ifndef SCENARIO_FORMAT_COMPILED_FILES_H_
#define SCENARIO_FORMAT_COMPILED_FILES_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"

namespace scenario {

// Bytes of one cell of the segment file and of a table slot without text.
inline constexpr size_t kSegmentCellBytes = 15;
inline constexpr size_t kGeneralEntryFixedBytes = 34;

// Each file's bytes come whole, in one buffer; the stream writers write
// those same bytes.

// Column 0 (x) for metres 0..last, then column 1 (y); each cell a u16 tag and
// its payload (nothing, an i16 or an f64).  A plan of the usual shape is its
// own file: the view is of the plan's bytes, valid while the plan is
// unchanged; any other plan is encoded into `encoded`.
std::string_view line_geometry_file(const route_plan& plan, std::string& encoded);
std::string line_geometry_bytes(const route_plan& plan);
void write_line_geometry(std::ostream& out, const route_plan& plan);

// Slots 0..86, each 34 bytes plus the byte length of its text.
std::string general_table_bytes(const general_table_t& table);
void write_general_table(std::ostream& out, const general_table_t& table);
void append_general_entry(std::string& out, const general_entry& entry);

// Cells 0..last, 15 bytes each.
std::string segments_bytes(const std::vector<track_segment>& segments);
void write_segments(std::ostream& out, const std::vector<track_segment>& segments);
void append_track_segment(std::string& out, const track_segment& segment);

// The bytes of the compiled files of one run, side by side; `geometry` is
// empty when the route plan is not built (no line geometry file then).
struct compiled_bytes {
  std::string geometry, table, segments;
  bool operator==(const compiled_bytes&) const = default;
};
compiled_bytes compiled_files_bytes(const scenario_records& records);

}  // namespace scenario

#endif  // SCENARIO_FORMAT_COMPILED_FILES_H_
