#include "tool/diff/diff_json.h"

#include <cmath>
#include <cstdint>

#include "model/positions.h"
#include "tool/diff/diff_text.h"
#include "tool/report/json_writer.h"

namespace scenario::tool {
namespace {

// Members are written in the order of their names, as dump's JSON has them.

void write_value(json_writer& w, const nlohmann::json& value) {
  if (value.is_string())
    w.value(value.get_ref<const std::string&>());
  else
    w.value(value.get<int64_t>());
}

void write_old_new(json_writer& w, int64_t old_value, int64_t new_value) {
  w.begin_object();
  w.key("new").value(new_value);
  w.key("old").value(old_value);
  w.end_object();
}

// A changed field, or with `one_value` a field of an object that is there on
// one side only (or moved unchanged).
void write_fields(json_writer& w, const std::vector<field_change>& fields, bool one_value) {
  w.begin_array();
  for (const field_change& f : fields) {
    w.begin_object();
    w.key("meaning").value(f.meaning);
    w.key("name").value(f.name);
    if (one_value) {
      write_value(w.key("value"), f.new_value);
    } else {
      write_value(w.key("new"), f.new_value);
      write_value(w.key("old"), f.old_value);
    }
    w.end_object();
  }
  w.end_array();
}

void write_table(json_writer& w, const std::vector<slot_change>& slots) {
  w.begin_array();
  for (const slot_change& s : slots) {
    w.begin_object();
    write_fields(w.key("fields"), s.fields, false);
    w.key("role").begin_object();
    w.key("new").value(s.new_role);
    w.key("old").value(s.old_role);
    w.end_object();
    w.key("slot").value(int64_t{s.slot});
    w.end_object();
  }
  w.end_array();
}

// Where an object stands on one side, as dump's JSON gives a cell.
void write_place(json_writer& w, const std::optional<int64_t>& index, uint8_t kind) {
  if (!index) return w.null();
  w.begin_object();
  const metre_span covers = segment_span(*index);
  w.key("covers").begin_array();
  w.value(covers.from);
  w.value(covers.to);
  w.end_array();
  w.key("index").value(*index);
  if (const std::optional<int64_t> at = author_position(kind, *index))
    w.key("position").value(*at);
  else
    w.key("position").null();
  w.end_object();
}

void write_marks(json_writer& w, const std::vector<std::pair<int64_t, int>>& marks) {
  w.begin_array();
  for (const auto& [cell, mark] : marks) {
    w.begin_object();
    w.key("approach_mark").value(int64_t{mark});
    w.key("index").value(cell);
    w.end_object();
  }
  w.end_array();
}

void write_approach_marks(json_writer& w, const std::vector<approach_change>& changes) {
  w.begin_array();
  for (const approach_change& c : changes) {
    const metre_span covers = segment_span(c.first, c.last);
    w.begin_object();
    w.key("covers").begin_array();
    w.value(covers.from);
    w.value(covers.to);
    w.end_array();
    write_marks(w.key("new"), c.new_marks);
    write_marks(w.key("old"), c.old_marks);
    w.key("segments").begin_array();
    w.value(c.first);
    w.value(c.last);
    w.end_array();
    w.end_object();
  }
  w.end_array();
}

void write_objects(json_writer& w, const scenario_diff& diff) {
  w.begin_object();
  write_approach_marks(w.key("approach_marks"), diff.approach_marks);
  write_old_new(w.key("cells"), static_cast<int64_t>(diff.old_cells),
                static_cast<int64_t>(diff.new_cells));
  w.key("objects").begin_array();
  for (const object_change& c : diff.objects) {
    w.begin_object();
    w.key("change").value(change_word(c.change));
    const bool changed = c.change == object_change_kind::changed;
    write_fields(w.key("fields"),
                 changed ? c.fields : object_fields(c.new_index ? c.new_cell : c.old_cell),
                 !changed);
    w.key("kind").value(int64_t{c.kind()});
    w.key("kind_name").value(segment_kind_name(c.kind()));
    write_place(w.key("new"), c.new_index, c.kind());
    write_place(w.key("old"), c.old_index, c.kind());
    w.end_object();
  }
  w.end_array();
  w.end_object();
}

void write_profiles(json_writer& w, const std::vector<profile_change>& profiles) {
  w.begin_array();
  for (const profile_change& p : profiles) {
    const metre_span span = segment_span(p.first, p.last);
    w.begin_object();
    w.key("km").value(km_text(span.from) + "-" + km_text(span.to).substr(3));
    w.key("metres").begin_array();
    w.value(span.from);
    w.value(span.to);
    w.end_array();
    w.key("new").value(int64_t{p.new_value});
    w.key("new_text").value(profile_value_text(*p.property, p.new_value));
    w.key("old").value(int64_t{p.old_value});
    w.key("old_text").value(profile_value_text(*p.property, p.old_value));
    w.key("property").value(p.property->name);
    w.key("segments").begin_array();
    w.value(p.first);
    w.value(p.last);
    w.end_array();
    w.end_object();
  }
  w.end_array();
}

// A finite length in whole millimetres, the largest the number holds for
// one beyond it.
int64_t millimetres(double metres) {
  const double mm = std::round(metres * 1000.0);
  return mm < 9.2e18 ? static_cast<int64_t>(mm) : INT64_MAX;
}

void write_plan(json_writer& w, const std::optional<plan_change>& plan) {
  if (!plan) return w.null();
  w.begin_object();
  write_old_new(w.key("last_metre"), plan->old_last, plan->new_last);
  w.key("ranges").begin_array();
  for (const plan_range& r : plan->ranges) {
    w.begin_object();
    // Whole millimetres: the writer holds no floating-point numbers, and a
    // millimetre is finer than any drawing of the line.
    if (r.largest_displacement)
      w.key("largest_displacement_mm").value(millimetres(*r.largest_displacement));
    else
      w.key("largest_displacement_mm").null();
    w.key("metres").begin_array();
    w.value(int64_t{r.first});
    w.value(int64_t{r.last});
    w.end_array();
    w.end_object();
  }
  w.end_array();
  w.end_object();
}

}  // namespace

void write_diff_json(std::ostream& out, const scenario_diff& diff, std::string_view old_name,
                     std::string_view new_name) {
  json_writer w(out, 2, false);
  w.begin_object();
  w.key("new").value(new_name);
  w.key("old").value(old_name);
  write_profiles(w.key("profiles"), diff.profiles);
  write_plan(w.key("route_plan"), diff.plan);
  w.key("same").value(diff.empty());
  write_objects(w.key("segments"), diff);
  write_table(w.key("table"), diff.slots);
  w.end_object();
  w.flush();
}

}  // namespace scenario::tool
