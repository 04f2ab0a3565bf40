#include "tool/report/dump.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <variant>

#include "model/fields.h"
#include "model/positions.h"
#include "tool/report/json_writer.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace {

using nlohmann::json;

bool holds_point_object(const track_segment& s) {
  for (size_t f = 0; f < kPointFieldCount; ++f)
    if (kSegmentFieldList[f].value(s) != 0) return true;
  return false;
}

// A member of a small object, gathered with the others so that they can be
// written in the order of their names, as dump orders them.
struct member {
  std::string_view name;
  std::variant<int64_t, std::nullptr_t, std::string_view, metre_span> value;
};

void write_in_name_order(json_writer& w, std::span<member> members) {
  std::sort(members.begin(), members.end(),
            [](const member& a, const member& b) { return a.name < b.name; });
  w.begin_object();
  for (const member& m : members) {
    w.key(m.name);
    if (const auto* number = std::get_if<int64_t>(&m.value)) {
      w.value(*number);
    } else if (const auto* text = std::get_if<std::string_view>(&m.value)) {
      w.value(*text);
    } else if (const auto* span = std::get_if<metre_span>(&m.value)) {
      w.begin_array();
      w.value(span->from);
      w.value(span->to);
      w.end_array();
    } else {
      w.null();
    }
  }
  w.end_object();
}

// One cell with where it stands: the position an author writes to put its
// object there (null when it holds none an entry places by position), and
// the metres of line it covers.
void write_cell(json_writer& w, size_t index, const track_segment& s) {
  const auto i = static_cast<int64_t>(index);
  const std::optional<int64_t> at =
      holds_point_object(s) ? author_position(s.kind, i) : std::nullopt;
  std::array<member, 4 + kSegmentFieldCount> members{
      member{"index", i}, member{"kind_name", segment_kind_name(s.kind)},
      member{"position", at ? decltype(member::value)(*at) : nullptr},
      member{"covers", segment_span(i)}};
  size_t next = 4;
  for_each_field(kSegmentFields, [&](const auto& f) {
    members[next++] = {f.name, int64_t{+(s.*f.member)}};
  });
  write_in_name_order(w, members);
}

nlohmann::json field_json(int value) { return value; }
nlohmann::json field_json(const std::string& text) { return cp1252_to_utf8(text); }

// Runs of equal values of one per-cell property, "cells a..b: v", under the
// field's name and what its stored number counts.
void list_runs(std::ostream& out, const std::vector<track_segment>& cells, const segment_field& f,
               std::string_view counts, const std::function<std::string(int)>& describe) {
  out << f.name << (counts.empty() ? "" : " (" + std::string(counts) + ")") << ":\n";
  size_t start = 0;
  for (size_t i = 1; i <= cells.size(); ++i) {
    if (i < cells.size() && f.value(cells[i]) == f.value(cells[start])) continue;
    out << "  segments " << start << ".." << i - 1 << ", "
        << covering_text(segment_span(static_cast<int64_t>(start), static_cast<int64_t>(i - 1)))
        << ": " << describe(f.value(cells[start])) << '\n';
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
  constexpr size_t kValue1 = field_index<&track_segment::value1>(kSegmentFields);
  const segment_field& signal_time = segment_field_of<&track_segment::signal_time>();
  const segment_field& approach_mark = segment_field_of<&track_segment::approach_mark>();
  for (size_t i = 0; i < cells.size(); ++i) {
    const track_segment& s = cells[i];
    if (!holds_point_object(s)) continue;
    out << "  " << segment_text(static_cast<int64_t>(i), s.kind) << ": "
        << segment_kind_name(s.kind) << " [" << int{s.kind} << "]";
    if (i == 1) out << " (cell 1 carries the scenario stamp: value1 5121, value2 the check code)";
    const auto names = segment_value_names(s.kind);
    for (size_t v = 0; v < 4; ++v) {
      const segment_field& f = kSegmentFieldList[kValue1 + v];
      if (f.value(s) != 0 || !names[v].empty())
        out << " " << f.name << (names[v].empty() ? "" : " (" + std::string(names[v]) + ")") << "="
            << f.value(s);
    }
    if (s.signal_time != 0 || s.kind == kSignal)
      out << " " << signal_time.name << "=" << signal_time.value(s);
    if (s.approach_mark != 0) out << " " << approach_mark.name << "=" << approach_mark.value(s);
    out << '\n';
  }
  list_runs(out, cells, segment_field_of<&track_segment::speed_limit>(), "steps of 5 km/h",
            [](int v) { return std::to_string(v) + " (" + std::to_string(v * 5) + " km/h)"; });
  list_runs(out, cells, segment_field_of<&track_segment::gradient>(), "plus 100",
            [](int v) { return std::to_string(v) + " (" + std::to_string(v - 100) + ")"; });
  list_runs(out, cells, segment_field_of<&track_segment::adhesion>(), "",
            [](int v) { return std::to_string(v); });
  list_runs(out, cells, segment_field_of<&track_segment::tunnel_type>(), "",
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

void write_general_table_json(std::ostream& out, const general_table_t& table) {
  // Plain ASCII, whatever bytes the texts hold.
  json_writer w(out, 2, true);
  w.begin_object();
  w.key("file").value("table");
  w.key("slots").begin_array();
  for (int slot = 0; slot < kGeneralSlots; ++slot) {
    const general_entry& e = table[static_cast<size_t>(slot)];
    const std::vector<slot_field> fields = slot_fields(slot, e);
    std::array<member, 3 + kEntryFieldCount> members{};
    size_t next = 0;
    members[next++] = {"slot", int64_t{slot}};
    members[next++] = {"role", role_of_slot(slot, e).name};
    members[next++] = {"meanings", nullptr};  // written below, in its place
    for (const slot_field& f : fields)
      members[next++] = {f.name,
                         f.value.is_string()
                             ? decltype(member::value)(f.value.get_ref<const std::string&>())
                             : decltype(member::value)(f.value.get<int64_t>())};
    std::sort(members.begin(), members.end(),
              [](const member& a, const member& b) { return a.name < b.name; });
    w.begin_object();
    for (const member& m : members) {
      if (m.name == "meanings") {
        std::vector<member> meanings;
        for (const slot_field& f : fields)
          if (!f.meaning.empty()) meanings.push_back({f.name, f.meaning});
        write_in_name_order(w.key("meanings"), meanings);
        continue;
      }
      w.key(m.name);
      if (const auto* number = std::get_if<int64_t>(&m.value))
        w.value(*number);
      else
        w.value(std::get<std::string_view>(m.value));
    }
    w.end_object();
  }
  w.end_array();
  w.end_object();
  w.flush();
}

void write_segments_json(std::ostream& out, const std::vector<track_segment>& cells) {
  // Every cell, empty ones too: a listing that left out the cells with
  // nothing set would hide the run-out's last cells, which hold no gradient.
  // Written cell by cell: the longest line has some twenty thousand.
  json_writer w(out, 1, true);
  w.begin_object();
  w.key("cell_count").value(static_cast<int64_t>(cells.size()));
  w.key("cells").begin_array();
  for (size_t i = 0; i < cells.size(); ++i) write_cell(w, i, cells[i]);
  w.end_array();
  w.key("file").value("segments");
  w.end_object();
  w.flush();
}

std::string general_table_json(const general_table_t& table) {
  std::ostringstream out;
  write_general_table_json(out, table);
  return out.str();
}

std::string segments_json(const std::vector<track_segment>& cells) {
  std::ostringstream out;
  write_segments_json(out, cells);
  return out.str();
}

}  // namespace scenario::tool
