#include "tool/diff/scenario_diff.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <tuple>

#include "tool/report/dump.h"

namespace scenario::tool {
namespace {

constexpr size_t kValue1 = field_index<&track_segment::value1>(kSegmentFields);
constexpr size_t kSignalTime = field_index<&track_segment::signal_time>(kSegmentFields);

constexpr size_t kObjectFieldCount = kSignalTime + 1;
static_assert(kObjectFieldCount + 1 == kPointFieldCount, "approach_mark follows the object");

// What a cell's object is made of; two objects with the same parts are the
// same object, wherever they stand.
using point_parts = std::array<int, kObjectFieldCount>;
point_parts parts_of(const track_segment& cell) {
  point_parts parts{};
  for (size_t f = 0; f < kObjectFieldCount; ++f) parts[f] = kSegmentFieldList[f].value(cell);
  return parts;
}

std::string_view value_meaning(uint8_t kind, size_t field) {
  if (field < kValue1 || field >= kValue1 + 4) return {};
  return segment_value_names(kind)[field - kValue1];
}

std::vector<slot_change> compare_slots(const general_table_t& a, const general_table_t& b) {
  std::vector<slot_change> changes;
  for (int slot = 0; slot < kGeneralSlots; ++slot) {
    const general_entry& old_entry = a[static_cast<size_t>(slot)];
    const general_entry& new_entry = b[static_cast<size_t>(slot)];
    if (old_entry == new_entry) continue;
    slot_change change{
        slot, role_of_slot(slot, old_entry).name, role_of_slot(slot, new_entry).name, {}};
    const std::vector<slot_field> old_fields = slot_fields(slot, old_entry);
    const std::vector<slot_field> new_fields = slot_fields(slot, new_entry);
    for (size_t f = 0; f < old_fields.size(); ++f) {
      if (old_fields[f].value == new_fields[f].value) continue;
      const std::string_view meaning =
          new_fields[f].meaning.empty() ? old_fields[f].meaning : new_fields[f].meaning;
      change.fields.push_back(
          {old_fields[f].name, meaning, old_fields[f].value, new_fields[f].value});
    }
    changes.push_back(std::move(change));
  }
  return changes;
}

const track_segment* object_at(const std::vector<track_segment>& cells, size_t i) {
  return i < cells.size() && holds_object(cells[i]) ? &cells[i] : nullptr;
}

object_change changed_in_place(size_t i, const track_segment& a, const track_segment& b) {
  object_change change{
      object_change_kind::changed, static_cast<int64_t>(i), static_cast<int64_t>(i), a, b, {}};
  for (size_t f = 1; f < kObjectFieldCount; ++f) {
    const segment_field& field = kSegmentFieldList[f];
    if (field.value(a) != field.value(b))
      change.fields.push_back(
          {field.name, value_meaning(a.kind, f), field.value(a), field.value(b)});
  }
  return change;
}

// Above this many candidate pairs of one sort of object, removed and added
// objects are paired in line order instead of nearest first.
constexpr size_t kMostCandidatePairs = size_t{1} << 16;

// Pairs the cells that lost an object with those that gained the same
// object, nearest first; a tie goes to the pair that starts earlier, so that
// the pairs come out the same with old and new swapped.  The pairs are of
// places in `removed` and `added`.
std::vector<std::pair<size_t, size_t>> nearest_pairs(const std::vector<size_t>& removed,
                                                     const std::vector<size_t>& added) {
  std::vector<std::pair<size_t, size_t>> pairs;
  if (removed.size() * added.size() > kMostCandidatePairs) {
    for (size_t i = 0; i < std::min(removed.size(), added.size()); ++i) pairs.emplace_back(i, i);
    return pairs;
  }
  using candidate = std::tuple<size_t, size_t, size_t, size_t, size_t>;  // distance, low, high
  std::vector<candidate> candidates;
  for (size_t r = 0; r < removed.size(); ++r)
    for (size_t a = 0; a < added.size(); ++a)
      candidates.emplace_back(removed[r] > added[a] ? removed[r] - added[a] : added[a] - removed[r],
                              std::min(removed[r], added[a]), std::max(removed[r], added[a]), r, a);
  std::sort(candidates.begin(), candidates.end());
  std::vector<bool> removed_used(removed.size()), added_used(added.size());
  for (const auto& [distance, low, high, r, a] : candidates) {
    if (removed_used[r] || added_used[a]) continue;
    removed_used[r] = added_used[a] = true;
    pairs.emplace_back(r, a);
  }
  return pairs;
}

// The objects of cells that lost one and of cells that gained one: those of
// the same parts paired as moves, the rest added or removed.
void pair_moves(const std::vector<track_segment>& a, const std::vector<track_segment>& b,
                const std::vector<size_t>& removed, const std::vector<size_t>& added,
                std::vector<object_change>& changes) {
  std::map<point_parts, std::pair<std::vector<size_t>, std::vector<size_t>>> by_parts;
  for (size_t i : removed) by_parts[parts_of(a[i])].first.push_back(i);
  for (size_t i : added) by_parts[parts_of(b[i])].second.push_back(i);
  for (const auto& [parts, sides] : by_parts) {
    const auto& [gone, come] = sides;
    std::vector<bool> gone_paired(gone.size()), come_paired(come.size());
    for (const auto& [r, n] : nearest_pairs(gone, come)) {
      changes.push_back({object_change_kind::moved,
                         static_cast<int64_t>(gone[r]),
                         static_cast<int64_t>(come[n]),
                         a[gone[r]],
                         b[come[n]],
                         {}});
      gone_paired[r] = come_paired[n] = true;
    }
    for (size_t k = 0; k < gone.size(); ++k)
      if (!gone_paired[k])
        changes.push_back({object_change_kind::removed,
                           static_cast<int64_t>(gone[k]),
                           std::nullopt,
                           a[gone[k]],
                           {},
                           {}});
    for (size_t k = 0; k < come.size(); ++k)
      if (!come_paired[k])
        changes.push_back({object_change_kind::added,
                           std::nullopt,
                           static_cast<int64_t>(come[k]),
                           {},
                           b[come[k]],
                           {}});
  }
}

// Line order: by the first cell a change touches, then by kind and the
// other cell; the same order whichever side is old.
auto line_order_key(const object_change& c) {
  const int64_t o = c.old_index.value_or(-1), n = c.new_index.value_or(-1);
  const int64_t low = o < 0 ? n : (n < 0 ? o : std::min(o, n));
  return std::tuple(low, c.kind(), std::max(o, n));
}

std::vector<object_change> compare_objects(const std::vector<track_segment>& a,
                                           const std::vector<track_segment>& b) {
  std::vector<object_change> changes;
  std::vector<size_t> removed, added;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const track_segment* old_object = object_at(a, i);
    const track_segment* new_object = object_at(b, i);
    if (old_object && new_object) {
      if (parts_of(*old_object) == parts_of(*new_object)) continue;
      if (old_object->kind == new_object->kind) {
        changes.push_back(changed_in_place(i, *old_object, *new_object));
        continue;
      }
    }
    if (old_object) removed.push_back(i);
    if (new_object) added.push_back(i);
  }
  pair_moves(a, b, removed, added, changes);
  std::stable_sort(changes.begin(), changes.end(),
                   [](const object_change& x, const object_change& y) {
                     return line_order_key(x) < line_order_key(y);
                   });
  return changes;
}

int approach_mark(const std::vector<track_segment>& cells, size_t i) {
  return i < cells.size() ? cells[i].approach_mark : 0;
}

// A signal's marks stand up to this many cells before it: changes closer
// than that are one stretch.
constexpr int64_t kApproachReach = 8;

std::vector<approach_change> compare_approach_marks(const std::vector<track_segment>& a,
                                                    const std::vector<track_segment>& b) {
  std::vector<approach_change> changes;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (approach_mark(a, i) == approach_mark(b, i)) continue;
    const auto index = static_cast<int64_t>(i);
    if (changes.empty() || changes.back().last + kApproachReach < index)
      changes.push_back({index, index, {}, {}});
    changes.back().last = index;
  }
  for (approach_change& c : changes) {
    for (int64_t i = c.first; i <= c.last; ++i) {
      const auto cell = static_cast<size_t>(i);
      if (const int m = approach_mark(a, cell); m != 0) c.old_marks.emplace_back(i, m);
      if (const int m = approach_mark(b, cell); m != 0) c.new_marks.emplace_back(i, m);
    }
  }
  return changes;
}

std::vector<profile_change> compare_profiles(const std::vector<track_segment>& a,
                                             const std::vector<track_segment>& b) {
  std::vector<profile_change> changes;
  const size_t common = std::min(a.size(), b.size());
  for (const segment_field* property : profile_properties()) {
    const size_t first_of_property = changes.size();
    for (size_t i = 0; i < common; ++i) {
      const int old_value = property->value(a[i]), new_value = property->value(b[i]);
      if (old_value == new_value) continue;
      const auto index = static_cast<int64_t>(i);
      if (changes.size() > first_of_property) {
        profile_change& run = changes.back();
        if (run.last + 1 == index && run.old_value == old_value && run.new_value == new_value) {
          run.last = index;
          continue;
        }
      }
      changes.push_back({property, index, index, old_value, new_value});
    }
  }
  return changes;
}

bool same_cell(const route_plan& a, const route_plan& b, int32_t metre, int column) {
  return a.tag(metre, column) == b.tag(metre, column) &&
         std::bit_cast<uint64_t>(a.value(metre, column)) ==
             std::bit_cast<uint64_t>(b.value(metre, column));
}

// How far the point at `metre` moved, when both sides hold finite x and y.
std::optional<double> displacement(const route_plan& a, const route_plan& b, int32_t metre) {
  for (const route_plan* p : {&a, &b})
    for (int column = 0; column < 2; ++column)
      if (p->tag(metre, column) == cell_tag::empty || !std::isfinite(p->value(metre, column)))
        return std::nullopt;
  const double d =
      std::hypot(a.value(metre, 0) - b.value(metre, 0), a.value(metre, 1) - b.value(metre, 1));
  return std::isfinite(d) ? std::optional(d) : std::nullopt;
}

std::optional<plan_change> compare_plans(const scenario_records& a, const scenario_records& b) {
  plan_change change;
  change.old_last = a.build_geometry ? a.track_geometry.last() : -1;
  change.new_last = b.build_geometry ? b.track_geometry.last() : -1;
  if (change.old_last < 0 || change.new_last < 0)
    return change.old_last == change.new_last ? std::nullopt : std::optional(change);
  const route_plan& p = a.track_geometry;
  const route_plan& q = b.track_geometry;
  const std::optional<std::string_view> p_bytes = p.file_bytes(), q_bytes = q.file_bytes();
  if (p_bytes && q_bytes && *p_bytes == *q_bytes) return std::nullopt;
  const int32_t common = std::min(change.old_last, change.new_last);
  for (int32_t m = 0; m <= common; ++m) {
    if (same_cell(p, q, m, 0) && same_cell(p, q, m, 1)) continue;
    if (change.ranges.empty() || change.ranges.back().last + 1 != m)
      change.ranges.push_back({m, m, std::nullopt});
    plan_range& range = change.ranges.back();
    range.last = m;
    if (const std::optional<double> d = displacement(p, q, m))
      range.largest_displacement = std::max(range.largest_displacement.value_or(0.0), *d);
  }
  if (change.ranges.empty() && change.old_last == change.new_last) return std::nullopt;
  return change;
}

}  // namespace

bool holds_object(const track_segment& cell) {
  for (size_t f = 0; f < kObjectFieldCount; ++f)
    if (kSegmentFieldList[f].value(cell) != 0) return true;
  return false;
}

std::vector<field_change> object_fields(const track_segment& cell) {
  std::vector<field_change> fields;
  for (size_t f = kValue1; f < kObjectFieldCount; ++f) {
    const segment_field& field = kSegmentFieldList[f];
    const std::string_view meaning = value_meaning(cell.kind, f);
    const bool shown =
        field.value(cell) != 0 || !meaning.empty() || (f == kSignalTime && cell.kind == kSignal);
    if (shown) fields.push_back({field.name, meaning, field.value(cell), field.value(cell)});
  }
  return fields;
}

std::string_view change_word(object_change_kind change) {
  switch (change) {
    case object_change_kind::added:
      return "added";
    case object_change_kind::removed:
      return "removed";
    case object_change_kind::moved:
      return "moved";
    case object_change_kind::changed:
      break;
  }
  return "changed";
}

std::vector<const segment_field*> profile_properties() {
  return {&segment_field_of<&track_segment::speed_limit>(),
          &segment_field_of<&track_segment::gradient>(),
          &segment_field_of<&track_segment::adhesion>(),
          &segment_field_of<&track_segment::tunnel_type>()};
}

scenario_diff diff_scenarios(const scenario_records& a, const scenario_records& b) {
  scenario_diff diff;
  diff.slots = compare_slots(a.general_table, b.general_table);
  diff.old_cells = a.segments.size();
  diff.new_cells = b.segments.size();
  diff.objects = compare_objects(a.segments, b.segments);
  diff.approach_marks = compare_approach_marks(a.segments, b.segments);
  diff.profiles = compare_profiles(a.segments, b.segments);
  diff.plan = compare_plans(a, b);
  return diff;
}

}  // namespace scenario::tool
