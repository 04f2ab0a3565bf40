// What changed between two compiled scenarios, by meaning rather than by
// byte: the table slots field by field, the objects of the segment cells
// (added, removed, moved, changed), the runs of cells whose profile values
// changed, and the stretches of the route plan that moved.  Every name and
// position is the one dump and the pictures give, so that a change can be
// found in any of them.
#ifndef SCENARIO_TOOL_DIFF_SCENARIO_DIFF_H_
#define SCENARIO_TOOL_DIFF_SCENARIO_DIFF_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "model/fields.h"
#include "model/records.h"

namespace scenario::tool {

// One field whose value changed, under its name and what it means where it
// stands (empty when nothing tells); texts as UTF-8, numbers as numbers.
struct field_change {
  std::string_view name;
  std::string_view meaning;
  nlohmann::json old_value;
  nlohmann::json new_value;
};

// A slot of the general table that differs.  The roles differ too when, say,
// a station slot became empty.
struct slot_change {
  int slot = 0;
  std::string_view old_role;
  std::string_view new_role;
  std::vector<field_change> fields;
};

// The object of a segment cell (kind, value1..value4, signal_time): what an
// entry such as a signal or a board writes there.  A signal's approach marks
// in the cells before it are compared apart (approach_change): they follow
// the signal, and listing each as an object of its own would bury the one
// change an author made under those that follow from it.
bool holds_object(const track_segment& cell);

// The fields a listing shows of a point object, as dump shows them: the
// values its kind gives a meaning to or that are set, signal_time of a signal.
std::vector<field_change> object_fields(const track_segment& cell);

enum class object_change_kind { added, removed, moved, changed };
std::string_view change_word(object_change_kind change);

// An object added, removed, moved to another cell unchanged, or changed in
// its cell.  `old_cell` / `new_cell` hold the object on each side where it
// is there; `fields` lists what changed for a changed object.
struct object_change {
  object_change_kind change = object_change_kind::changed;
  std::optional<int64_t> old_index;
  std::optional<int64_t> new_index;
  track_segment old_cell;
  track_segment new_cell;
  std::vector<field_change> fields;

  uint8_t kind() const { return old_index ? old_cell.kind : new_cell.kind; }
};

// A run of segments, `first` to `last`, all of whose cells went from one
// value of a profile property to another.
struct profile_change {
  const segment_field* property = nullptr;
  int64_t first = 0;
  int64_t last = 0;
  int old_value = 0;
  int new_value = 0;
};

// The profile properties every cell carries, in the order dump lists them.
std::vector<const segment_field*> profile_properties();

// Segments `first` to `last`, where the approach marks differ; the marks
// each side holds there, as (segment, approach_mark).
struct approach_change {
  int64_t first = 0;
  int64_t last = 0;
  std::vector<std::pair<int64_t, int>> old_marks;
  std::vector<std::pair<int64_t, int>> new_marks;
};

// Metres `first` to `last` of the route plan whose x or y differ.  The
// largest displacement is taken over the metres where both sides hold finite
// coordinates; none when there is no such metre.
struct plan_range {
  int32_t first = 0;
  int32_t last = 0;
  std::optional<double> largest_displacement;
};

// A route plan that differs; `last` is -1 for a scenario without one.
struct plan_change {
  int32_t old_last = -1;
  int32_t new_last = -1;
  std::vector<plan_range> ranges;  // over the metres both plans hold
};

struct scenario_diff {
  std::vector<slot_change> slots;  // by slot number
  size_t old_cells = 0;            // the segment array's cells
  size_t new_cells = 0;
  std::vector<object_change> objects;  // in line order
  std::vector<approach_change> approach_marks;
  std::vector<profile_change> profiles;  // by property, then in line order
  std::optional<plan_change> plan;

  bool empty() const {
    return slots.empty() && old_cells == new_cells && objects.empty() && approach_marks.empty() &&
           profiles.empty() && !plan;
  }
};

// The changes from `old_scenario` to `new_scenario`.  Empty exactly when the
// two would be written as the same bytes; the changes from new to old are
// the same with old and new swapped.
scenario_diff diff_scenarios(const scenario_records& old_scenario,
                             const scenario_records& new_scenario);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_DIFF_SCENARIO_DIFF_H_
