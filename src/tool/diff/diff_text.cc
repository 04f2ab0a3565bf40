#include "tool/diff/diff_text.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "model/positions.h"
#include "tool/report/dump.h"

namespace scenario::tool {
namespace {

std::string value_text(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// "value2 (s2*10+d2)", as dump names a field.
std::string field_name(const field_change& f) {
  std::string name(f.name);
  if (!f.meaning.empty() && f.meaning != f.name) name += " (" + std::string(f.meaning) + ")";
  return name;
}

std::string changes_text(const std::vector<field_change>& fields) {
  std::string text;
  for (const field_change& f : fields)
    text += (text.empty() ? "" : "; ") + field_name(f) + " " + value_text(f.old_value) + " -> " +
            value_text(f.new_value);
  return text;
}

std::string values_text(const std::vector<field_change>& fields) {
  std::string text;
  for (const field_change& f : fields)
    text += (text.empty() ? "" : " ") + field_name(f) + "=" + value_text(f.new_value);
  return text;
}

void write_slots(std::ostream& out, const std::vector<slot_change>& slots) {
  if (slots.empty()) return;
  out << "table\n";
  for (const slot_change& s : slots) {
    out << "  slot " << s.slot << ", ";
    if (s.old_role == s.new_role)
      out << s.new_role << ": ";
    else
      out << s.old_role << " -> " << s.new_role << ": ";
    out << changes_text(s.fields) << '\n';
  }
}

std::string object_line(const object_change& c) {
  const std::string kind(segment_kind_name(c.kind()));
  const std::string change(change_word(c.change));
  switch (c.change) {
    case object_change_kind::added:
      return change + " " + kind + ", " + segment_text(*c.new_index, c.kind()) + ": " +
             values_text(object_fields(c.new_cell));
    case object_change_kind::removed:
      return change + " " + kind + ", " + segment_text(*c.old_index, c.kind()) + ": " +
             values_text(object_fields(c.old_cell));
    case object_change_kind::moved:
      return change + " " + kind + ": " + segment_text(*c.old_index, c.kind()) + " -> " +
             segment_text(*c.new_index, c.kind()) + ": " + values_text(object_fields(c.new_cell));
    case object_change_kind::changed:
      break;
  }
  return change + " " + kind + ", " + segment_text(*c.new_index, c.kind()) + ": " +
         changes_text(c.fields);
}

int64_t first_cell(const object_change& c) {
  return std::min(c.old_index.value_or(c.new_index.value_or(0)),
                  c.new_index.value_or(c.old_index.value_or(0)));
}

// The cells whose object is the same on both sides, around the changes.
std::set<int64_t> context_cells(const std::vector<object_change>& objects,
                                const diff_context& context) {
  std::set<int64_t> shown;
  if (context.count <= 0 || !context.cells || !context.old_cells) return shown;
  const std::vector<track_segment>& a = *context.old_cells;
  const std::vector<track_segment>& b = *context.cells;
  std::vector<int64_t> unchanged;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (holds_object(b[i]) && a[i] == b[i]) unchanged.push_back(static_cast<int64_t>(i));
  for (const object_change& c : objects) {
    const auto at = std::lower_bound(unchanged.begin(), unchanged.end(), first_cell(c));
    for (auto it = at; it != unchanged.begin() && at - it < context.count;) shown.insert(*--it);
    for (auto it = at; it != unchanged.end() && it - at < context.count; ++it) shown.insert(*it);
  }
  return shown;
}

std::string marks_text(const std::vector<std::pair<int64_t, int>>& marks) {
  if (marks.empty()) return "none";
  std::string text;
  for (const auto& [cell, mark] : marks)
    text += (text.empty() ? "" : " ") + std::to_string(cell) + "=" + std::to_string(mark);
  return text;
}

void write_objects(std::ostream& out, const scenario_diff& diff, const diff_context& context) {
  if (diff.objects.empty() && diff.approach_marks.empty() && diff.old_cells == diff.new_cells)
    return;
  out << "segments\n";
  if (diff.old_cells != diff.new_cells)
    out << "  cells: " << diff.old_cells << " -> " << diff.new_cells << " (0.."
        << static_cast<int64_t>(diff.old_cells) - 1 << " -> 0.."
        << static_cast<int64_t>(diff.new_cells) - 1 << ")\n";
  const std::set<int64_t> around = context_cells(diff.objects, context);
  auto next_context = around.begin();
  auto write_context_before = [&](int64_t cell) {
    for (; next_context != around.end() && *next_context < cell; ++next_context) {
      const track_segment& s = (*context.cells)[static_cast<size_t>(*next_context)];
      out << "  = " << segment_kind_name(s.kind) << ", " << segment_text(*next_context, s.kind)
          << ": " << values_text(object_fields(s)) << '\n';
    }
  };
  for (const object_change& c : diff.objects) {
    write_context_before(first_cell(c));
    out << "  " << object_line(c) << '\n';
  }
  write_context_before(INT64_MAX);
  for (const approach_change& c : diff.approach_marks)
    out << "  approach marks, segments " << c.first << ".." << c.last << ", "
        << covering_text(segment_span(c.first, c.last)) << ": " << marks_text(c.old_marks) << " -> "
        << marks_text(c.new_marks) << '\n';
}

void write_profiles(std::ostream& out, const std::vector<profile_change>& profiles) {
  if (profiles.empty()) return;
  out << "profiles\n";
  for (const profile_change& p : profiles) {
    std::string label(p.property->name);
    std::replace(label.begin(), label.end(), '_', ' ');
    const metre_span span = segment_span(p.first, p.last);
    out << "  " << label << " " << km_text(span.from) << "-" << km_text(span.to).substr(3)
        << " (segments " << p.first << ".." << p.last
        << "): " << profile_value_text(*p.property, p.old_value, false) << " -> "
        << profile_value_text(*p.property, p.new_value) << '\n';
  }
}

void write_plan(std::ostream& out, const plan_change& plan) {
  out << "route plan\n";
  if (plan.old_last < 0 || plan.new_last < 0) {
    out << "  " << (plan.old_last < 0 ? "only in the new scenario" : "only in the old scenario")
        << " (the other has no line geometry file)\n";
    return;
  }
  for (const plan_range& r : plan.ranges) {
    out << "  metres " << r.first << "-" << r.last << ": moved";
    if (r.largest_displacement)
      out << ", largest displacement " << coordinate_text(*r.largest_displacement) << " m";
    else
      out << " (no finite coordinates on both sides to measure by)";
    out << '\n';
  }
  if (plan.old_last != plan.new_last)
    out << "  length: metres 0.." << plan.old_last << " -> 0.." << plan.new_last << " ("
        << (plan.new_last > plan.old_last ? "+" : "") << plan.new_last - plan.old_last << " m)\n";
}

}  // namespace

std::string km_text(int64_t metres) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "km %lld+%03lld", static_cast<long long>(metres / 1000),
                static_cast<long long>(metres % 1000));
  return buffer;
}

std::string profile_value_text(const segment_field& property, int value, bool unit) {
  if (&property == &segment_field_of<&track_segment::speed_limit>())
    return std::to_string(value * 5) + (unit ? " km/h" : "");
  if (&property == &segment_field_of<&track_segment::gradient>())
    return std::to_string(value - 100);
  if (&property == &segment_field_of<&track_segment::tunnel_type>() && value == 0)
    return "0 (open line)";
  return std::to_string(value);
}

void write_diff_text(std::ostream& out, const scenario_diff& diff, const diff_context& context) {
  write_slots(out, diff.slots);
  write_objects(out, diff, context);
  write_profiles(out, diff.profiles);
  if (diff.plan) write_plan(out, *diff.plan);
}

}  // namespace scenario::tool
