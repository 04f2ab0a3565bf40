#include "tool/report/dump.h"

#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "model/fields.h"
#include "model/rounding.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

json cell_json(size_t index, const track_segment& s) {
  json j = {{"index", index}, {"kind_name", segment_kind_name(s.kind)}};
  for_each_field(kSegmentFields, [&](const auto& f) { j[std::string(f.name)] = +(s.*f.member); });
  return j;
}

nlohmann::json field_json(int value) { return value; }
nlohmann::json field_json(const std::string& text) { return cp1252_to_utf8(text); }

// Runs of equal values of one per-cell property, "cells a..b: v".
void list_runs(std::ostream& out, const std::vector<track_segment>& cells, std::string_view title,
               const std::function<int(const track_segment&)>& value,
               const std::function<std::string(int)>& describe) {
  out << title << ":\n";
  size_t start = 0;
  for (size_t i = 1; i <= cells.size(); ++i) {
    if (i < cells.size() && value(cells[i]) == value(cells[start])) continue;
    out << "  cells " << start << ".." << i - 1 << ": " << describe(value(cells[start])) << '\n';
    start = i;
  }
}

}  // namespace

// Values of the route plan as the listings show them.
std::string cell_text(const route_plan& plan, int32_t metre, int column, bool json) {
  const cell_tag tag = plan.tag(metre, column);
  if (tag == cell_tag::empty) return json ? "null" : "-";
  return json ? json_number(plan.value(metre, column), tag)
              : exact_number(plan.value(metre, column), tag);
}

std::string coordinate_text(double metres) {
  char buffer[400];  // %f of the largest double has 309 digits before the point
  std::snprintf(buffer, sizeof buffer, "%.3f", metres);
  return buffer;
}

std::vector<slot_field> slot_fields(int slot, const general_entry& e) {
  const slot_role role = role_of_slot(slot, e);
  std::vector<slot_field> fields;
  fields.reserve(kEntryFieldCount);
  for_each_field(kEntryFields, [&](const auto& f) {
    fields.push_back({f.name, role.meanings[fields.size()], field_json(e.*f.member)});
  });
  return fields;
}

void list_line_geometry(std::ostream& out, const route_plan& plan) {
  out << "route plan: metres 0.." << plan.last() << " (x, y in metres; - = empty cell)\n";
  for (int32_t m = 0; m <= plan.last(); ++m) {
    out << m;
    for (int column = 0; column < 2; ++column) out << ' ' << cell_text(plan, m, column, false);
    out << '\n';
  }
}

void list_general_table(std::ostream& out, const general_table_t& table) {
  for (int slot = 0; slot < kGeneralSlots; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    const std::string_view role = role_of_slot(slot, e).name;
    out << "slot " << slot << ": " << role << '\n';
    if (role == std::string_view("empty") || (slot == 0 && e == general_entry{})) continue;
    for (const slot_field& f : slot_fields(slot, e)) {
      out << "  " << f.name;
      if (!f.meaning.empty() && f.meaning != f.name) out << " (" << f.meaning << ")";
      out << " = " << (f.value.is_string() ? f.value.get<std::string>() : f.value.dump()) << '\n';
    }
  }
}

void list_segments(std::ostream& out, const std::vector<track_segment>& cells) {
  out << "segment array: " << cells.size() << " cells of 50 m (0.." << cells.size() - 1 << ")\n";
  out << "objects:\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    const track_segment& s = cells[i];
    if (s.kind == 0 && s.value1 == 0 && s.value2 == 0 && s.value3 == 0 && s.value4 == 0 &&
        s.signal_time == 0 && s.approach_mark == 0)
      continue;
    out << "  cell " << i << " (" << segment_position(static_cast<int64_t>(i), 0)
        << " m): " << segment_kind_name(s.kind) << " [" << int{s.kind} << "]";
    if (i == 1) out << " (cell 1 carries the scenario stamp: value1 5121, value2 the check code)";
    const auto names = segment_value_names(s.kind);
    const std::array<int16_t, 4> values = {s.value1, s.value2, s.value3, s.value4};
    for (size_t v = 0; v < 4; ++v)
      if (values[v] != 0 || !names[v].empty())
        out << " value" << v + 1 << (names[v].empty() ? "" : " (" + std::string(names[v]) + ")")
            << "=" << values[v];
    if (s.signal_time != 0 || s.kind == kSignal) out << " signal_time=" << int{s.signal_time};
    if (s.approach_mark != 0) out << " approach_mark=" << int{s.approach_mark};
    out << '\n';
  }
  list_runs(
      out, cells, "speed_limit (steps of 5 km/h)",
      [](const track_segment& s) { return s.speed_limit; },
      [](int v) { return std::to_string(v) + " (" + std::to_string(v * 5) + " km/h)"; });
  list_runs(
      out, cells, "gradient (plus 100)", [](const track_segment& s) { return s.gradient; },
      [](int v) { return std::to_string(v) + " (" + std::to_string(v - 100) + ")"; });
  list_runs(
      out, cells, "adhesion", [](const track_segment& s) { return s.adhesion; },
      [](int v) { return std::to_string(v); });
  list_runs(
      out, cells, "tunnel_type", [](const track_segment& s) { return s.tunnel_type; },
      [](int v) { return v == 0 ? std::string("0 (open line)") : std::to_string(v); });
}

std::string exact_number(double v, cell_tag tag) {
  char buffer[64];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v);
  std::string text(buffer, r.ptr);
  if (tag == cell_tag::real && std::isfinite(v) && text.find_first_of(".e") == std::string::npos)
    text += ".0";
  return text;
}

std::string json_number(double v, cell_tag tag) {
  if (std::isnan(v)) return std::signbit(v) ? "\"-NaN\"" : "\"NaN\"";
  if (std::isinf(v)) return v < 0 ? "\"-Infinity\"" : "\"Infinity\"";
  return exact_number(v, tag);
}

// Written straight, not through a JSON tree: a route plan has up to a
// million points, and its numbers must come out exactly.
std::string line_geometry_json(const route_plan& plan) {
  std::string out =
      "{\"file\":\"geometry\",\"last_metre\":" + std::to_string(plan.last()) + ",\"points\":[";
  for (int32_t m = 0; m <= plan.last(); ++m) {
    if (m > 0) out += ',';
    out += '[';
    out += cell_text(plan, m, 0, true);
    out += ',';
    out += cell_text(plan, m, 1, true);
    out += ']';
  }
  return out + "]}";
}

std::string general_table_json(const general_table_t& table) {
  json slots = json::array();
  for (int slot = 0; slot < kGeneralSlots; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    json j = {{"slot", slot}, {"role", role_of_slot(slot, e).name}};
    json meanings = json::object();
    for (const slot_field& f : slot_fields(slot, e)) {
      j[std::string(f.name)] = f.value;
      if (!f.meaning.empty()) meanings[std::string(f.name)] = f.meaning;
    }
    j["meanings"] = meanings;
    slots.push_back(std::move(j));
  }
  // Plain ASCII, whatever bytes the texts hold.
  return json({{"file", "table"}, {"slots", slots}}).dump(2, ' ', true);
}

std::string segments_json(const std::vector<track_segment>& cells) {
  json list = json::array();
  for (size_t i = 0; i < cells.size(); ++i)
    if (!(cells[i] == track_segment{})) list.push_back(cell_json(i, cells[i]));
  return json({{"file", "segments"}, {"cell_count", cells.size()}, {"cells", list}})
      .dump(1, ' ', true);
}

}  // namespace scenario::tool
