// Decoders of the three compiled files: the bytes the simulator loads turned
// back into scenario records.  They accept any bytes at all: a file that is
// truncated, too long or carries an unknown cell tag is refused with a
// decode_error that names the byte offset, never with a crash.  A file larger
// than any the compilation writes is refused before it is decoded, and every
// decoder takes time and memory in proportion to its file.
#ifndef SCENARIO_FORMAT_DECODE_H_
#define SCENARIO_FORMAT_DECODE_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "model/records.h"

namespace scenario {

// Bytes that are not a compiled file of the kind asked for.
class decode_error : public std::runtime_error {
 public:
  decode_error(size_t offset, const std::string& what);
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// The largest compiled files, those of a line of 1 000 000 m: metres
// 0..1 007 000 of the route plan, each cell at most a tag and an f64;
// segment cells 0..20 140; 87 table slots, each with a text of 65 535 bytes.
inline constexpr size_t kMostRoutePlanMetres = 1'007'001;
inline constexpr size_t kMostGeometryBytes = 2 * kMostRoutePlanMetres * 10;
inline constexpr size_t kMostSegmentCells = 20'141;
inline constexpr size_t kMostSegmentBytes = kMostSegmentCells * kSegmentCellBytes;
inline constexpr size_t kMostTableBytes = kGeneralSlots * (kGeneralEntryFixedBytes + 65'535);

// The line geometry file: column 0 (x) of metres 0..M, then column 1 (y),
// each cell a u16 tag (0 empty, 2 i16, 5 f64) and its payload.
route_plan decode_line_geometry(std::string_view bytes);

// The table file: exactly 87 slots, nothing after the last.
general_table_t decode_general_table(std::string_view bytes);

// The segment file: one or more cells of 15 bytes.
std::vector<track_segment> decode_segments(std::string_view bytes);

// The kind a word names ("geometry", "table", "segments"), and back.
bool kind_from_word(std::string_view word, file_kind& kind);
std::string_view kind_word(file_kind kind);

// The size of the largest file of a kind that the compilation writes.
size_t most_bytes(file_kind kind);

}  // namespace scenario

#endif  // SCENARIO_FORMAT_DECODE_H_
