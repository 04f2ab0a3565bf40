#include "line/line_reader.h"

#include <string>

#include "line/progressive.h"
#include "line/tunnels_and_boards.h"
#include "model/rounding.h"
#include "reading/field_reader.h"

namespace scenario {
namespace {

constexpr int32_t kMaxRouteLength = 1'000'000;
constexpr int32_t kExtraMetres = 7000;  // the plan and array run past the line's end
constexpr int32_t kLastPlanMetre = 1'000'000;

// What an entry tells the entry loop.
enum class flow {
  next,         // go on with the next field
  end_of_text,  // stop reading as if the text had ended (failure 15)
  quit,         // the whole reading ends here
};

class line_reader {
 public:
  line_reader(std::string_view text, scenario_records& records, reading_outcome& outcome)
      : fields_(text), r_(records), outcome_(outcome) {}

  bool read(int32_t& sign_board_cursor);

 private:
  bool find_general_section();
  bool read_general_section();
  bool general_section_entry(const std::string& keyword);
  bool read_route_length();
  bool read_signal_repetition(const std::string& keyword);
  void seed_plan();
  bool read_entries();
  flow entry(const std::string& keyword);
  flow accept(int32_t first_value);
  flow gradient_entry();
  flow curve_entry(const std::string& keyword);
  flow tunnel_entry();
  flow speed_board_entry();
  flow sign_board_entry();
  void complete();

  // Ends the reading with `code`, the text used up.
  bool quit(int32_t code, std::optional<int32_t> position = std::nullopt);
  // The same, from an entry handler.
  flow stop(int32_t code, std::optional<int32_t> position = std::nullopt) {
    quit(code, position);
    return flow::quit;
  }
  void note_site() { outcome_.site = failure_site{source_kind::line_description, entry_start_}; }

  double x(int64_t m) const { return r_.track_geometry.value(static_cast<int32_t>(m), 0); }
  double y(int64_t m) const { return r_.track_geometry.value(static_cast<int32_t>(m), 1); }
  void draw(int64_t m, double k);

  field_reader fields_;
  scenario_records& r_;
  reading_outcome& outcome_;
  tunnel_lists tunnels_;
  text_position entry_start_;
  int32_t entry_value_ = 0;  // first value of the entry being read
  int64_t gradient_cursor_ = 0;
  int64_t pending_gradient_ = 0;
  int64_t plan_cursor_ = 2;
  int32_t sign_board_cursor_ = kFirstSignBoardSlot;
};

bool line_reader::quit(int32_t code, std::optional<int32_t> position) {
  r_.failure_code = code;
  if (position) r_.failure_position = *position;
  outcome_.delete_line_description = true;
  note_site();
  return false;
}

bool line_reader::read(int32_t& sign_board_cursor) {
  try {
    if (!find_general_section() || !read_general_section()) return false;
    progressive_ordina(r_.general_table);
    if (r_.build_geometry != 0) seed_plan();
    const bool go_on = read_entries();
    sign_board_cursor = sign_board_cursor_;
    if (!go_on) return false;
    outcome_.delete_line_description = true;
    complete();
    return true;
  } catch (const run_time_failure& failure) {
    throw reading_failure{fields_.field_start(), failure.what};
  }
}

bool line_reader::find_general_section() {
  for (;;) {
    std::string field = fields_.read_text();
    entry_start_ = fields_.field_start();
    if (fields_.at_end()) return quit(102);
    if (contains_ignoring_case(field, "[generale]")) return true;
  }
}

// Leading dash fields are comments; a general entry is examined after them.
bool line_reader::read_general_section() {
  for (;;) {
    if (fields_.at_end()) return true;
    std::string field = fields_.read_text();
    if (fields_.at_end()) return true;
    for (int i = 0; i < 10; ++i)
      if (contains(field, "-")) field = fields_.read_text();
    entry_start_ = fields_.field_start();
    if (!general_section_entry(field)) return false;
    const size_t first = field.find_first_not_of(" \t");
    const bool comment = first != std::string::npos && field[first] == '-';
    if (contains(field, "[") && contains(field, "]") && !comment) return true;
  }
}

bool line_reader::general_section_entry(const std::string& f) {
  general_table_t& t = r_.general_table;
  if (contains_ignoring_case(f, "percorso") && contains_ignoring_case(f, "lunghezza"))
    if (!read_route_length()) return false;
  for (const auto& [word, slot] :
       {std::pair{"tre", kSlotProgressiveTre}, std::pair{"due", kSlotProgressiveDue},
        std::pair{"uno", kSlotProgressiveUno}}) {
    if (contains(f, word) && contains(f, "progressiva")) {
      t[slot].value_a = fields_.read_i32();
      t[slot].value_b = fields_.read_i32();
      t[slot].value_c = fields_.read_i32();
      outcome_.progressive_sources.push_back({entry_start_, t[slot].value_a, t[slot].value_b});
    }
  }
  general_entry& scenery = t[kSlotSceneryAndLine];
  if (contains(f, "sfondo") && contains(f, "uno")) scenery.value_a = fields_.read_i32();
  if (contains(f, "sfondo") && contains(f, "due")) scenery.value_c = fields_.read_i32();
  if (contains(f, "sfondo") && contains(f, "tre")) scenery.value_b = fields_.read_i32();
  if (contains(f, "segnali") && contains(f, "ripetizione")) return read_signal_repetition(f);
  return true;
}

bool line_reader::read_route_length() {
  const int32_t length = fields_.read_i32();
  r_.general_table[kSlotTrainAndLength].value_b = length;
  if (length > kMaxRouteLength) return quit(1);
  const int64_t last_metre = int64_t{length} + kExtraMetres;
  // Cell 1 carries the scenario stamp, so even the shortest array needs it.
  if (segment_index(last_metre, 0) < 1)
    fields_.fail("route length " + std::to_string(length) + " leaves no room for the scenario");
  r_.geometry_last = static_cast<int32_t>(last_metre);
  r_.segment_last = static_cast<int32_t>(segment_index(last_metre, 0));
  r_.segments.assign(static_cast<size_t>(r_.segment_last) + 1, track_segment{});
  if (r_.build_geometry != 0) r_.track_geometry = route_plan(r_.geometry_last);
  return true;
}

bool line_reader::read_signal_repetition(const std::string& keyword) {
  general_entry& slot = r_.general_table[kSlotSignallingAndTrain];
  slot.value_a = fields_.read_i32();
  slot.value_b = fields_.read_i32();
  if (slot.value_a % 50 != 0) return quit(3);
  if (slot.value_b % 50 != 0) return quit(4);
  if (contains(keyword, "4"))
    slot.value_c = 4;
  else if (contains(keyword, "9"))
    slot.value_c = 9;
  else
    return quit(5);
  if (slot.value_b == 0) slot.value_c = 0;
  return true;
}

// The route starts at the origin heading along +y, one metre a step.
void line_reader::seed_plan() {
  if (!r_.track_geometry.allocated())
    throw run_time_failure{"the route length must come before the route plan is drawn"};
  r_.track_geometry.set_integer(0, 0, 0);
  r_.track_geometry.set_integer(0, 1, 0);
  r_.track_geometry.set_integer(1, 0, 0);
  r_.track_geometry.set_integer(1, 1, 1);
}

bool line_reader::read_entries() {
  while (const std::optional<std::string> field = next_keyword_field(fields_)) {
    entry_start_ = fields_.field_start();
    const flow next = entry(*field);
    if (next == flow::quit) return false;
    if (next == flow::end_of_text) break;
  }
  return true;
}

// Every handler whose keyword the field holds reads its own entry, in order.
flow line_reader::entry(const std::string& f) {
  auto has = [&f](std::string_view word) { return contains_ignoring_case(f, word); };
  try {
    if (has("pendenza"))
      if (flow next = gradient_entry(); next != flow::next) return next;
    if (has("curva") && r_.build_geometry != 0)
      if (flow next = curve_entry(f); next != flow::next) return next;
    if (has("montagna"))
      if (flow next = tunnel_entry(); next != flow::next) return next;
    if (has("indicatori_v"))
      if (flow next = speed_board_entry(); next != flow::next) return next;
    if (has("indicat") && has("cartello"))
      if (flow next = sign_board_entry(); next != flow::next) return next;
    return flow::next;
  } catch (const outside_array&) {
    return stop(30, entry_value_);
  }
}

// The bound test on an entry's first value, then the refusal of positions
// before the start of the line.
flow line_reader::accept(int32_t first_value) {
  entry_value_ = first_value;
  if (int64_t{r_.segment_last} * 50 < int64_t{first_value} + 100) {
    r_.failure_code = 15;
    r_.failure_position = first_value;
    note_site();
    return flow::end_of_text;
  }
  if (first_value < 0) {
    return stop(30, first_value);
  }
  return flow::next;
}

// Cell i carries the gradient in force at 50 * i metres.
flow line_reader::gradient_entry() {
  const int32_t position = fields_.read_i32();
  const int32_t gradient = fields_.read_i32();
  if (flow f = accept(position); f != flow::next) return f;
  const int64_t n = segment_index(position, 0);
  if (n > 0) {
    do {
      segment_at(r_, gradient_cursor_).gradient = low8(pending_gradient_ + 100);
      ++gradient_cursor_;
    } while (gradient_cursor_ < n);
  }
  pending_gradient_ = gradient;
  return flow::next;
}

// The next metre follows the last step, turned by k radians for a curve; the
// step is deliberately not renormalised, the simulator's plans are drawn so.
void line_reader::draw(int64_t m, double k) {
  if (m > r_.geometry_last) throw outside_array{};
  const double dx = x(m - 1) - x(m - 2);
  const double dy = y(m - 1) - y(m - 2);
  const auto metre = static_cast<int32_t>(m);
  if (k == 0.0) {
    r_.track_geometry.set_real(metre, 0, x(m - 1) + dx);
    r_.track_geometry.set_real(metre, 1, y(m - 1) + dy);
  } else {
    r_.track_geometry.set_real(metre, 0, x(m - 1) + dx + k * dy);
    r_.track_geometry.set_real(metre, 1, y(m - 1) + dy - k * dx);
  }
}

flow line_reader::curve_entry(const std::string& keyword) {
  const int32_t start = fields_.read_i32();
  const int32_t length = fields_.read_i32();
  if (flow f = accept(start); f != flow::next) return f;
  static constexpr double kCurvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  double k = 0;
  for (int digit = 1; digit <= 6 && k == 0; ++digit)
    if (contains(keyword, std::to_string(digit))) k = kCurvature[digit - 1];
  if (k == 0) {
    return stop(103);
  }
  if (contains_ignoring_case(keyword, "s")) k = -k;
  // A straight run up to the start, then the turn to the end; a curve that
  // starts behind the cursor only turns, one that ends behind it draws nothing.
  const std::pair<int64_t, double> runs[] = {{start, 0.0}, {int64_t{start} + length, k}};
  for (const auto& [last, turn] : runs) {
    while (plan_cursor_ <= last) {
      draw(plan_cursor_, turn);
      if (++plan_cursor_ > kLastPlanMetre) {
        return stop(103);
      }
    }
  }
  return flow::next;
}

flow line_reader::tunnel_entry() {
  const int32_t start = fields_.read_i32();
  const int32_t end = fields_.read_i32();
  int32_t type = fields_.read_i32();
  if (flow f = accept(start); f != flow::next) return f;
  memo_montagna(r_, tunnels_, start, end, type);
  if (r_.failure_code > 0) {
    return stop(r_.failure_code, start);
  }
  return flow::next;
}

flow line_reader::speed_board_entry() {
  const int32_t position = fields_.read_i32();
  int32_t v[8];
  for (int32_t& value : v) value = fields_.read_i32();
  if (flow f = accept(position); f != flow::next) return f;
  memo_indicatori_v_max(r_, position, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
  if (r_.failure_code > 0) {
    return stop(r_.failure_code, position);
  }
  return flow::next;
}

flow line_reader::sign_board_entry() {
  const int32_t position = fields_.read_i32();
  std::string text = fields_.read_text();
  if (flow f = accept(position); f != flow::next) return f;
  // Board texts fill the general table downward from slot 80; slot 0 stays
  // empty, so an 81st board has no room.
  if (sign_board_cursor_ < 1) {
    return stop(31, position);
  }
  track_segment& cell = segment_at(r_, segment_index(position, kMarkOffset));
  if (!is_free(cell)) {
    return stop(6, position);
  }
  cell.kind = kSignBoard;
  cell.value1 = static_cast<int16_t>(sign_board_cursor_);
  // The text is held as read; only its slot, stored with a 16-bit byte
  // count, limits its length, so an over-long one fails as it is stored.
  r_.general_table[static_cast<size_t>(sign_board_cursor_)].text =
      checked_text(fields_, std::move(text));
  --sign_board_cursor_;
  return flow::next;
}

// The last gradient holds to the end of the line, and the plan runs straight
// on to two metres before its end.
void line_reader::complete() {
  do {
    if (!r_.segments_allocated() || gradient_cursor_ > r_.segment_last)
      throw run_time_failure{"the gradients run past the end of the segment array"};
    r_.segments[static_cast<size_t>(gradient_cursor_)].gradient = low8(pending_gradient_ + 100);
    ++gradient_cursor_;
  } while (gradient_cursor_ < r_.segment_last - 2);
  if (r_.build_geometry == 0) return;
  while (plan_cursor_ <= r_.geometry_last - 2) {
    draw(plan_cursor_, 0.0);
    ++plan_cursor_;
  }
}

}  // namespace

bool read_line_description(std::string_view text, scenario_records& records,
                           reading_outcome& outcome, int32_t& sign_board_cursor) {
  sign_board_cursor = kFirstSignBoardSlot;
  line_reader reader(text, records, outcome);
  return reader.read(sign_board_cursor);
}

}  // namespace scenario
