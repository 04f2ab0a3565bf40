// The stages of a decompilation: each one recovers the entries behind one
// part of the compiled files.  They share what the files hold, with what the
// compilation adds by itself (the stamps, the check codes) taken out again.
#ifndef SCENARIO_TOOL_DECOMPILE_RECOVERY_H_
#define SCENARIO_TOOL_DECOMPILE_RECOVERY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"
#include "tool/decompile/entries.h"

namespace scenario::tool::recovery {

// The compiled scenario as the readers left it, before the stamps.
struct held_scenario {
  const scenario_records& files;
  std::vector<track_segment> cells;  // cell 1 without the stamp and check code
  general_table_t table;             // slot 85 without the stamp and check code
  int64_t last = 0;                  // the last cell of the segment array
  std::vector<std::string> notes;    // what no text can give, in words

  explicit held_scenario(const scenario_records& compiled);
  bool inside(int64_t cell) const { return cell >= 0 && cell <= last; }
  const track_segment& at(int64_t cell) const { return cells[static_cast<size_t>(cell)]; }
};

// A cell that only a station's stop mark can explain, and what must have
// stood there before the station was read.
struct stop_cell {
  int64_t cell = 0;
  int station = 0;  // its slot in the general table
};

// Stations from the general table: their entries and where their marks go.
struct recovered_station {
  station_entry entry;
  int slot = 0;
  int64_t stop = -1;                                  // stop-mark cell, -1 for none
  std::vector<std::pair<int64_t, uint8_t>> approach;  // approach-mark cells and values
};
std::vector<recovered_station> recover_stations(held_scenario& held);

// Splits the code points into those the track-code pass places by itself
// and the abbattimento marks of the text: the cells of the marks.
std::vector<int64_t> abbattimento_cells(const held_scenario& held);

// What the train service description tells about the line description:
// station stop marks cover whatever the line put on their cells.
struct service_findings {
  int stations = 0;                              // general-table slots 1..stations
  std::vector<speed_board_entry> hidden_boards;  // under stop marks
  std::vector<int64_t> free_stop_cells;          // for sign boards no cell shows
};
line_entries recover_line(held_scenario& held, const service_findings& findings);

// The route plan's curves: every metre's step, matched bit for bit.
std::vector<curve_entry> recover_curves(held_scenario& held);

// The speed board whose values a cell holds, standing on that cell.
speed_board_entry speed_board_at(int64_t cell, const track_segment& s);

// The tunnels behind the cells' tunnel types and markers.
std::vector<tunnel_entry> recover_tunnels(held_scenario& held);

// The steps of a profile whose stored values are `column` (cells 0..last):
// `value_of` turns a stored value back into the value an entry writes.
std::vector<profile_entry> recover_profile(const std::vector<int64_t>& column,
                                           int64_t (*value_of)(int64_t));

// An entry of the train service description with what decides where it may
// stand among the others: the approach marks it writes (the last writer of a
// cell wins), the cells whose kind it writes (a station's stop mark covers
// them, so they must come before it) and its place in the usual order.
struct ordered_item {
  service_entry entry;
  std::vector<std::pair<int64_t, uint8_t>> marks;
  std::vector<int64_t> cells;
  int64_t usual = 0;
  int station = 0;  // the station's slot, 0 for other entries
};

// The entries in an order that leaves every approach mark as held: the usual
// order (stations, slowdowns, signals, abbattimento marks) wherever the marks
// allow it.
std::vector<service_entry> order_entries(std::vector<ordered_item> items, held_scenario& held);

// The train service description, and what it tells about the line's.
service_entries recover_service(held_scenario& held, const std::vector<recovered_station>& stations,
                                service_findings& findings);

}  // namespace scenario::tool::recovery

#endif  // SCENARIO_TOOL_DECOMPILE_RECOVERY_H_
