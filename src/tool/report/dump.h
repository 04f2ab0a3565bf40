// Readable listings of the compiled files, as text or as JSON.
#ifndef SCENARIO_TOOL_DUMP_H_
#define SCENARIO_TOOL_DUMP_H_

#include <array>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"

namespace scenario::tool {

// The name of a segment cell's kind ("signal", "slowdown start", ...).
std::string_view segment_kind_name(uint8_t kind);

// The stored fields of a segment cell, in file order, by the names the
// listings give them.
struct segment_field {
  std::string_view name;
  int (*value)(const track_segment&);
};
inline constexpr size_t kSegmentFieldCount = 11;
const std::array<segment_field, kSegmentFieldCount>& segment_fields();

// What value1..value4 of a cell mean for its kind; empty names are unused.
std::array<std::string_view, 4> value_names(uint8_t kind);

// A route-plan coordinate as the listings print it: metres, three decimals.
std::string coordinate_text(double metres);

// What a table slot holds ("station", "sign board text", "train and line
// size", ...), judged from its number and content.
std::string_view slot_role(int slot, const general_entry& entry);

// A route plan value exactly, in the shortest text that reads back as the
// same double; a real cell whose value is whole keeps a ".0", so that it is
// not taken for an integer cell; NaN and infinities as "nan", "-nan", "inf"
// and "-inf".
std::string exact_number(double v, cell_tag tag);
// The same as a JSON value: NaN and infinities, which JSON numbers cannot
// carry, as the strings "NaN", "-NaN", "Infinity" and "-Infinity", apart
// from null (an empty cell).
std::string json_number(double v, cell_tag tag);

// One field of a table slot, in record order, with what the slot makes of
// it (empty when the slot gives the field no meaning).
struct slot_field {
  std::string_view name;
  std::string_view meaning;
  nlohmann::json value;
};
std::vector<slot_field> slot_fields(int slot, const general_entry& entry);

void list_line_geometry(std::ostream& out, const route_plan& plan);
void list_general_table(std::ostream& out, const general_table_t& table);
void list_segments(std::ostream& out, const std::vector<track_segment>& cells);

std::string line_geometry_json(const route_plan& plan);
std::string general_table_json(const general_table_t& table);
std::string segments_json(const std::vector<track_segment>& cells);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DUMP_H_
