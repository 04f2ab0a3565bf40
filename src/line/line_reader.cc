#include "line/line_reader.h"

#include <limits>
#include <string>

#include "line/progressive.h"
#include "line/tunnels_and_boards.h"
#include "model/fields.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "reading/entry_reader.h"
#include "reading/warning_ids.h"

namespace scenario {
namespace {

constexpr int32_t kMaxRouteLength = 1'000'000;
constexpr int32_t kExtraMetres = 7000;  // the plan and array run past the line's end
constexpr int32_t kLastPlanMetre = 1'000'000;

// What a line description without its general section loses.
constexpr counted_kind kCountedEntries[] = {
    {"curva", "curve", "curves"},
    {"pendenza", "gradient", "gradients"},
    {"montagna", "tunnel", "tunnels"},
    {"indicatori_v", "speed board", "speed boards"},
    {"cartello", "sign board", "sign boards"},
};

const text_vocabulary kGeneralWords{"the general section of the line description",
                                    kLineGeneralKeywords, kLineSections};
const text_vocabulary kEntryWords{"the line description", kLineEntryKeywords, kLineSections};

class line_reader : entry_reader {
 public:
  line_reader(std::string_view text, scenario_records& records, reading_outcome& outcome)
      : entry_reader(source_kind::line_description, text, records, outcome),
        general_watch_(source_kind::line_description, kGeneralWords, outcome.warnings),
        entry_watch_(source_kind::line_description, kEntryWords, outcome.warnings) {}

  bool read(int32_t& sign_board_cursor);

 private:
  void order_progressives();
  bool read_general_section();
  entry_flow general_section_entry(const std::string& keyword);
  void progressive_entries(const std::string& keyword);
  entry_flow read_route_length();
  entry_flow read_signal_repetition(const std::string& keyword);
  void seed_plan();
  entry_flow entry(const std::string& keyword);
  std::string_view not_read_here(const std::string& keyword, bool general) const;
  entry_flow gradient_entry(const std::string& keyword);
  entry_flow curve_entry(const std::string& keyword);
  void note_curve(int32_t start, int32_t length);
  entry_flow tunnel_entry(const std::string& keyword);
  void note_tunnel(int32_t start, int32_t end, int32_t written, int32_t stored);
  entry_flow speed_board_entry(const std::string& keyword);
  void note_speed_board(int32_t position, const int32_t (&v)[8], const text_position (&at)[9]);
  entry_flow sign_board_entry(const std::string& keyword);
  void complete();

  double x(int64_t m) const { return r_.track_geometry.value(static_cast<int32_t>(m), 0); }
  double y(int64_t m) const { return r_.track_geometry.value(static_cast<int32_t>(m), 1); }
  void draw(int64_t m, double k);

  entry_watch general_watch_;
  entry_watch entry_watch_;
  tunnel_lists tunnels_;
  std::optional<int64_t> last_gradient_;
  int64_t gradient_cursor_ = 0;
  int64_t pending_gradient_ = 0;
  int64_t plan_cursor_ = 2;
  int32_t sign_board_cursor_ = kFirstSignBoardSlot;
};

// A keyword of the general section stands after it, or an entry's keyword
// inside it: the reader knows it, but not there.
std::string_view line_reader::not_read_here(const std::string& f, bool general) const {
  auto has = [&f](std::string_view word) { return contains_ignoring_case(f, word); };
  if (general) {
    if (has("pendenza") || has("curva") || has("montagna") || has("indicat"))
      return "this entry is read only after the general section, once a section line such as "
             "\"[curve]\" has closed it";
    if (has("progressiva") || has("sfondo") || (has("ripetizione") && has("segnali")))
      return "the keywords of the general section are read in lower case, as the writer spells "
             "them";
    return {};
  }
  if ((has("lunghezza") && has("percorso")) || has("progressiva") || has("sfondo") ||
      (has("ripetizione") && has("segnali")))
    return "this entry is read only in the general section, between \"[generale]\" and the next "
           "section line (its keywords are lower case, as written here)";
  return {};
}

bool line_reader::read(int32_t& sign_board_cursor) {
  return reporting_failures([&] {
    if (!find_general_section()) {
      // Not at the last field searched, often "[fine]": at the top, where
      // the general section belongs.
      quit(102);
      outcome_.site = failure_site{source_kind::line_description, kTextStart};
      outcome_.detail =
          "the line description has no \"[generale]\" line, so it has no route length and "
          "nothing is compiled: " +
          missing_general_section(kCountedEntries);
      return false;
    }
    if (!read_general_section()) return false;
    order_progressives();
    if (r_.build_geometry) seed_plan();
    auto hint = [this](const std::string& f) { return not_read_here(f, false); };
    auto examine = [this](const std::string& f) { return entry(f); };
    const bool go_on = read_entries(entry_watch_, hint, examine);
    sign_board_cursor = sign_board_cursor_;
    if (!go_on) return false;
    outcome_.delete_line_description = true;
    complete();
    return true;
  });
}

// The flags apply once the general section is over, long after the values
// were read: a value the flag pushes past its field is the fault of that
// value's field.
void line_reader::order_progressives() {
  try {
    progressive_ordina(r_.general_table);
  } catch (const run_time_failure&) {
    // The flags apply to slots 81, 82, 83 in turn: the first that overflows.
    for (int i = kSlotProgressiveTre; i <= kSlotProgressiveUno; ++i) {
      const general_entry& slot = r_.general_table[static_cast<size_t>(i)];
      const int32_t value = progressive_slot::value.of(slot);
      if (progressive_slot::flag.of(slot) != 1 ||
          value <= std::numeric_limits<int32_t>::max() - 100)
        continue;
      for (const auto& source : outcome_.progressive_sources)
        if (source.position == progressive_slot::position.of(slot) && source.value == value &&
            source.flag == 1)
          throw reading_failure{source.value_at,
                                "progressive value " + std::to_string(source.value) +
                                    " with flag 1: adding 100 passes the largest value a 32-bit "
                                    "field holds"};
    }
    throw;
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
    const entry_flow next = watch_examination(
        general_watch_, fields_, field, fate_, [&] { return not_read_here(field, true); },
        [&] { return general_section_entry(field); });
    if (next == entry_flow::quit) return false;
    const size_t first = field.find_first_not_of(" \t");
    const bool comment = first != std::string::npos && field[first] == '-';
    if (contains(field, "[") && contains(field, "]") && !comment) return true;
  }
}

entry_flow line_reader::general_section_entry(const std::string& f) {
  if (contains_ignoring_case(f, "percorso") && contains_ignoring_case(f, "lunghezza")) {
    given("lunghezza percorso");
    if (read_route_length() == entry_flow::quit) return entry_flow::quit;
  }
  progressive_entries(f);
  using namespace scenery_and_line_slot;
  if (contains(f, "sfondo") && contains(f, "uno")) {
    given("sfondo uno");
    scenery_one.in(r_.general_table) = fields_.read_i32();
  }
  if (contains(f, "sfondo") && contains(f, "due")) {
    given("sfondo due");
    scenery_two.in(r_.general_table) = fields_.read_i32();
  }
  if (contains(f, "sfondo") && contains(f, "tre")) {
    given("sfondo tre");
    scenery_three.in(r_.general_table) = fields_.read_i32();
  }
  if (contains(f, "segnali") && contains(f, "ripetizione")) {
    given("ripetizione segnali");
    return read_signal_repetition(f);
  }
  return entry_flow::next;
}

void line_reader::progressive_entries(const std::string& f) {
  struct progressive {
    const char* word;
    int slot;
    const char* entry;
  };
  general_table_t& t = r_.general_table;
  for (const progressive& p :
       {progressive{"tre", kSlotProgressiveTre, "progressiva chilometrica tre"},
        progressive{"due", kSlotProgressiveDue, "progressiva chilometrica due"},
        progressive{"uno", kSlotProgressiveUno, "progressiva chilometrica uno"}}) {
    if (!contains(f, p.word) || !contains(f, "progressiva")) continue;
    given(p.entry);
    general_entry& slot = t[static_cast<size_t>(p.slot)];
    const int32_t position = progressive_slot::position.of(slot) = fields_.read_i32();
    const text_position position_at = fields_.field_start();
    const int32_t value = progressive_slot::value.of(slot) = fields_.read_i32();
    const text_position value_at = fields_.field_start();
    const int32_t flag = progressive_slot::flag.of(slot) = fields_.read_i32();
    outcome_.progressive_sources.push_back({position_at, position, value, flag, value_at});
  }
}

entry_flow line_reader::read_route_length() {
  const int32_t length = fields_.read_i32();
  train_and_length_slot::route_length.in(r_.general_table) = length;
  if (length > kMaxRouteLength) return quit_at(fields_.field_start(), 1);
  const int64_t last_metre = int64_t{length} + kExtraMetres;
  // Cell 1 carries the scenario stamp, so even the shortest array needs it.
  if (segment_index(last_metre, 0) < 1)
    fields_.fail("route length " + std::to_string(length) + " leaves no room for the scenario");
  r_.geometry_last = static_cast<int32_t>(last_metre);
  r_.segment_last = static_cast<int32_t>(segment_index(last_metre, 0));
  r_.segments.assign(static_cast<size_t>(r_.segment_last) + 1, track_segment{});
  if (r_.build_geometry) r_.track_geometry = route_plan(r_.geometry_last);
  return entry_flow::next;
}

entry_flow line_reader::read_signal_repetition(const std::string& keyword) {
  using namespace signalling_and_train_slot;
  general_table_t& t = r_.general_table;
  const int32_t from = repetition_from.in(t) = fields_.read_i32();
  const text_position from_at = fields_.field_start();
  const int32_t to = repetition_to.in(t) = fields_.read_i32();
  if (from % kSegmentMetres != 0) return quit_at(from_at, 3);
  if (to % kSegmentMetres != 0) return quit_at(fields_.field_start(), 4);
  int32_t& codes = repetition_codes.in(t);
  if (contains(keyword, "4"))
    codes = 4;
  else if (contains(keyword, "9"))
    codes = 9;
  else
    return quit(5);
  if (to == 0) codes = 0;
  return entry_flow::next;
}

// The route starts at the origin heading along +y, one metre a step.
void line_reader::seed_plan() {
  if (!r_.track_geometry.allocated())
    throw run_time_failure{
        "the general section gives no route length (\"lunghezza percorso\"), so there is no "
        "route plan to draw"};
  r_.track_geometry.set_integer(0, 0, 0);
  r_.track_geometry.set_integer(0, 1, 0);
  r_.track_geometry.set_integer(1, 0, 0);
  r_.track_geometry.set_integer(1, 1, 1);
}

// Every handler whose keyword the field holds reads its own entry, in order.
entry_flow line_reader::entry(const std::string& f) {
  auto has = [&f](std::string_view word) { return contains_ignoring_case(f, word); };
  const bool geometry = r_.build_geometry;
  // Without a route plan a curve's line is passed over, numbers and all.
  if (has("curva") && !geometry) fate_ = field_fate::ignored;
  return dispatch(*this, f,
                  {
                      {has("pendenza"), &line_reader::gradient_entry},
                      {has("curva") && geometry, &line_reader::curve_entry},
                      {has("montagna"), &line_reader::tunnel_entry},
                      {has("indicatori_v"), &line_reader::speed_board_entry},
                      {has("indicat") && has("cartello"), &line_reader::sign_board_entry},
                  });
}

// Cell i carries the gradient in force where its 50 m begin.
entry_flow line_reader::gradient_entry(const std::string&) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  const int32_t gradient = fields_.read_i32();
  const text_position gradient_at = fields_.field_start();
  if (entry_flow f = accept(position, position_at); f != entry_flow::next) return f;
  notes_.snapped(position_at, "\"pendenza\"", position, 0);
  notes_.beyond_end(position_at, "\"pendenza\"", position, r_);
  notes_.in_order(position_at, "\"pendenza\"", position, last_gradient_);
  if (const uint8_t stored = low8(int64_t{gradient} + 100); stored != int64_t{gradient} + 100)
    notes_.warn(warning_id::kValueWrapped, gradient_at,
                "gradient " + std::to_string(gradient) +
                    " does not fit: a segment keeps gradient + 100 as its low 8 bits, " +
                    std::to_string(stored) + ", which reads as a gradient of " +
                    std::to_string(int{stored} - 100));
  const int64_t n = segment_index(position, 0);
  if (n > 0) {
    do {
      segment_at(r_, gradient_cursor_).gradient = low8(pending_gradient_ + 100);
      ++gradient_cursor_;
    } while (gradient_cursor_ < n);
  }
  pending_gradient_ = gradient;
  return entry_flow::next;
}

// The next metre follows the last step, turned by k radians for a curve; the
// step is deliberately not renormalised, the simulator's plans are drawn so.
void line_reader::draw(int64_t m, double k) {
  if (m > r_.geometry_last) throw outside_array{m, true};
  // All four read before either is stored: a store into the plan's bytes
  // may alias them, and would make every one be read again.
  const double x1 = x(m - 1), y1 = y(m - 1);
  const double dx = x1 - x(m - 2);
  const double dy = y1 - y(m - 2);
  const double next_x = k == 0.0 ? x1 + dx : x1 + dx + k * dy;
  const double next_y = k == 0.0 ? y1 + dy : y1 + dy - k * dx;
  const auto metre = static_cast<int32_t>(m);
  r_.track_geometry.set_real(metre, 0, next_x);
  r_.track_geometry.set_real(metre, 1, next_y);
}

entry_flow line_reader::curve_entry(const std::string& keyword) {
  const int32_t start = fields_.read_i32();
  const text_position start_at = fields_.field_start();
  const int32_t length = fields_.read_i32();
  const text_position length_at = fields_.field_start();
  if (entry_flow f = accept(start, start_at); f != entry_flow::next) return f;
  reaches_with(length_at);
  static constexpr double kCurvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  double k = 0;
  for (int digit = 1; digit <= 6 && k == 0; ++digit)
    if (contains(keyword, std::to_string(digit))) k = kCurvature[digit - 1];
  if (k == 0) return quit(103);
  if (contains_ignoring_case(keyword, "s")) k = -k;
  note_curve(start, length);
  // A straight run up to the start, then the turn to the end; a curve that
  // starts behind the cursor only turns, one that ends behind it draws nothing.
  // A plan drawn too far is the fault of the value that ends the run.
  const struct {
    int64_t last;
    double turn;
    text_position set_by;
  } runs[] = {{start, 0.0, start_at}, {int64_t{start} + length, k, length_at}};
  for (const auto& [last, turn, set_by] : runs) {
    while (plan_cursor_ <= last) {
      draw(plan_cursor_, turn);
      if (++plan_cursor_ > kLastPlanMetre) return quit_at(set_by, 103);
    }
  }
  return entry_flow::next;
}

// The plan is drawn metre by metre in the order of the text: a curve written
// behind the part already drawn cannot go back to its start.
void line_reader::note_curve(int32_t start, int32_t length) {
  notes_.beyond_end(entry_start_, "curve", start, r_);
  if (plan_cursor_ <= int64_t{start} + 1) return;
  const std::string drawn = "the route plan is already drawn up to metre " +
                            std::to_string(plan_cursor_ - 1) +
                            " (curves must follow one another along the line)";
  const int64_t end = int64_t{start} + length;
  if (plan_cursor_ > end) {
    notes_.warn(warning_id::kCurveIgnored, entry_start_,
                "curve from " + std::to_string(start) + " to " + std::to_string(end) +
                    " m draws nothing: it ends behind the route plan drawn so far; " + drawn);
  } else {
    notes_.warn(warning_id::kCurveShortened, entry_start_,
                "curve from " + std::to_string(start) + " m turns only from metre " +
                    std::to_string(plan_cursor_) + ", " + std::to_string(plan_cursor_ - 1 - start) +
                    " m short: " + drawn);
  }
}

entry_flow line_reader::tunnel_entry(const std::string&) {
  const int32_t start = fields_.read_i32();
  const text_position start_at = fields_.field_start();
  const int32_t end = fields_.read_i32();
  const text_position end_at = fields_.field_start();
  int32_t type = fields_.read_i32();
  const text_position type_at = fields_.field_start();
  if (entry_flow f = accept(start, start_at); f != entry_flow::next) return f;
  reaches_with(end_at);
  const int32_t written = type > 10 ? type - 10 : type;
  memo_montagna(r_, tunnels_, start, end, type);
  if (r_.failure_code > 0) return quit(r_.failure_code, start);
  note_tunnel(start, end, written, type);
  notes_.wrapped(type_at, "tunnel type", type, 8);
  // The built-in line uses types 1 and 2, and 3 is the type of joined
  // tunnels; 0 marks no tunnel at all.
  if (written < 1 || written > 3)
    notes_.warn(warning_id::kTunnelTypeUnknown, type_at,
                "tunnel type " + std::to_string(written) +
                    (written == 0 ? " marks no tunnel: the segments read as open line"
                                  : " is none the built-in line uses (1, 2, and 3 for joined "
                                    "tunnels); the simulator may show no tunnel, or a wrong one") +
                    " (a type above 10 is the type minus 10, with marked segments)");
  return entry_flow::next;
}

void line_reader::note_tunnel(int32_t start, int32_t end, int32_t written, int32_t stored) {
  notes_.beyond_end(entry_start_, "\"montagna\"", start, r_);
  const std::string from_to =
      "\"montagna\" from " + std::to_string(start) + " to " + std::to_string(end) + " m";
  if (end < start) {
    notes_.warn(warning_id::kTunnelReversed, entry_start_,
                from_to +
                    " ends before it starts: no segment is marked, though it still counts "
                    "as the tunnel before the next one");
  } else if (const int64_t first = segment_index(start, 0), last = segment_index(end, -1);
             first <= last && (start % kSegmentMetres != 0 || end % kSegmentMetres != 0)) {
    notes_.warn(warning_id::kPositionSnapped, entry_start_,
                from_to + " covers segments " + std::to_string(first) + " to " +
                    std::to_string(last) + ", as if written from " +
                    std::to_string(segment_position(first, kProfileOffset)) + " to " +
                    std::to_string(segment_position(last, kEndOffset)) +
                    " m: ends that are not multiples of 50 m are rounded to segments");
  }
  if (stored == 3 && written != 3 && tunnels_.count > 1)
    notes_.warn(warning_id::kTunnelJoined, entry_start_,
                from_to + " is stored as type 3, not " + std::to_string(written) +
                    ": it begins 150 m or less after the end of the tunnel before it (" +
                    std::to_string(tunnels_.ends[static_cast<size_t>(tunnels_.count - 1)]) +
                    " m), and such tunnels are joined");
}

entry_flow line_reader::speed_board_entry(const std::string&) {
  const int32_t position = fields_.read_i32();
  text_position at[9];
  at[0] = fields_.field_start();
  int32_t v[8];
  for (int i = 0; i < 8; ++i) {
    v[i] = fields_.read_i32();
    at[i + 1] = fields_.field_start();
  }
  if (entry_flow f = accept(position, at[0]); f != entry_flow::next) return f;
  if (const std::optional<taken_cell> taken =
          memo_indicatori_v_max(r_, position, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]))
    return refuse(taken->failure, position, "\"indicatori_vmax\"", taken->cell);
  if (r_.failure_code > 0) return quit(r_.failure_code, position);
  note_speed_board(position, v, at);
  notes_.place(segment_index(position, kMarkOffset), entry_start_, mark_role::speed_board,
               position);
  return entry_flow::next;
}

void line_reader::note_speed_board(int32_t position, const int32_t (&v)[8],
                                   const text_position (&at)[9]) {
  notes_.snapped(at[0], "\"indicatori_vmax\"", position, kMarkOffset);
  notes_.beyond_end(at[0], "\"indicatori_vmax\"", position, r_);
  // The right-side speeds are stored in 5 km/h steps; the left-side ones
  // are stored exactly, twenty to the step.
  const char* const names[] = {"right-side speed A", "right-side speed B", "right-side speed C"};
  for (int i = 0; i < 3; ++i) notes_.rounded(at[5 + i], names[i], v[4 + i]);
}

entry_flow line_reader::sign_board_entry(const std::string&) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  std::string text = fields_.read_text();
  const text_position text_at = fields_.field_start();
  if (entry_flow f = accept(position, position_at); f != entry_flow::next) return f;
  // Board texts fill the general table downward from slot 80; slot 0 stays
  // empty, so an 81st board has no room.
  if (sign_board_cursor_ < 1) return quit(31, position);
  const int64_t index = segment_index(position, kMarkOffset);
  track_segment& cell = segment_at(r_, index);
  if (!is_free(cell)) return refuse(6, position, "\"cartello indicatore\"", index);
  notes_.snapped(position_at, "\"cartello indicatore\"", position, kMarkOffset);
  notes_.beyond_end(position_at, "\"cartello indicatore\"", position, r_);
  notes_.encoding(text_at, "the board text", text);
  notes_.place(index, entry_start_, mark_role::sign_board, position, sign_board_cursor_);
  cell.kind = kSignBoard;
  cell.value1 = static_cast<int16_t>(sign_board_cursor_);
  // The text is held as read; only its slot, stored with a 16-bit byte
  // count, limits its length, so an over-long one fails as it is stored.
  r_.general_table[static_cast<size_t>(sign_board_cursor_)].text =
      checked_text(fields_, std::move(text));
  --sign_board_cursor_;
  return entry_flow::next;
}

// The last gradient holds to the end of the line, and the plan runs straight
// on to two metres before its end.
void line_reader::complete() {
  if (!r_.segments_allocated())
    throw run_time_failure{
        "the line description gives no route length (\"lunghezza percorso\" in its general "
        "section)"};
  do {
    if (gradient_cursor_ > r_.segment_last)
      throw run_time_failure{"the gradients run past the end of the segment array"};
    r_.segments[static_cast<size_t>(gradient_cursor_)].gradient = low8(pending_gradient_ + 100);
    ++gradient_cursor_;
  } while (gradient_cursor_ < r_.segment_last - 2);
  if (!r_.build_geometry) return;
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
