// Readable listings of the compiled files, as text or as JSON.
#ifndef SCENARIO_TOOL_DUMP_H_
#define SCENARIO_TOOL_DUMP_H_

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"

namespace scenario::tool {

// A route-plan coordinate as the listings print it: metres, three decimals.
std::string coordinate_text(double metres);

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
// it (empty when the slot gives the field no meaning; see role_of_slot).
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
// Written into `out` as they are made: no tree of the listing is held.
void write_general_table_json(std::ostream& out, const general_table_t& table);
void write_segments_json(std::ostream& out, const std::vector<track_segment>& cells);
std::string general_table_json(const general_table_t& table);
std::string segments_json(const std::vector<track_segment>& cells);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DUMP_H_
