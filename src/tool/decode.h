// Decoders of the three compiled files: the bytes the simulator loads turned
// back into scenario records.  They accept any bytes at all: a file that is
// truncated, too long or carries an unknown cell tag is refused with a
// decode_error that names the byte offset, never with a crash.
#ifndef SCENARIO_TOOL_DECODE_H_
#define SCENARIO_TOOL_DECODE_H_

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"

namespace scenario::tool {

// Bytes that are not a compiled file of the kind asked for.
class decode_error : public std::runtime_error {
 public:
  decode_error(size_t offset, const std::string& what);
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// The line geometry file: column 0 (x) of metres 0..M, then column 1 (y),
// each cell a u16 tag (0 empty, 2 i16, 5 f64) and its payload.
route_plan decode_line_geometry(std::string_view bytes);

// The table file: exactly 87 slots, nothing after the last.
general_table_t decode_general_table(std::string_view bytes);

// The segment file: one or more cells of 15 bytes.
std::vector<track_segment> decode_segments(std::string_view bytes);

// Which compiled file a name stands for, by its ending.
enum class file_kind { geometry, table, segments };
bool kind_from_name(std::string_view file_name, file_kind& kind);
bool kind_from_word(std::string_view word, file_kind& kind);
std::string_view kind_word(file_kind kind);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DECODE_H_
