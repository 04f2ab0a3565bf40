#include "service/service_reader.h"

#include <string>

#include "model/fields.h"
#include "model/rounding.h"
#include "reading/entry_notes.h"
#include "reading/entry_watch.h"
#include "reading/field_reader.h"
#include "reading/warning_ids.h"
#include "service/signals_and_slowdowns.h"

namespace scenario {
namespace {

// The next field as a number of the width of T, refused when it does not fit.
template <typename T>
T read_as(field_reader& fields) {
  if constexpr (std::is_same_v<T, uint8_t>)
    return fields.read_u8();
  else if constexpr (std::is_same_v<T, int16_t>)
    return fields.read_i16();
  else
    return fields.read_i32();
}

enum class flow { next, end_of_reading, quit };

// An entry is accepted when its position leaves this much of the line
// after it; a station needs room for its platform.
constexpr int64_t kEntryReach = 100;
constexpr int64_t kStationReach = 800;
constexpr int64_t kStationSpacing = 350;
constexpr int32_t kLastMarkedStationType = 24;
// The track-code pass walks through slowdowns slower than this.
constexpr int64_t kWalkedSpeed = 110;

const text_vocabulary kWords{"the train service description", kServiceKeywords, kServiceSections};

std::string at_metres(int64_t position) { return " at " + std::to_string(position) + " m"; }

class service_reader {
 public:
  service_reader(std::string_view text, scenario_records& records, reading_outcome& outcome,
                 int32_t sign_board_cursor)
      : fields_(text),
        r_(records),
        outcome_(outcome),
        notes_(source_kind::train_service, outcome),
        watch_(source_kind::train_service, kWords, outcome.warnings),
        sign_board_cursor_(sign_board_cursor) {}

  void read();

 private:
  bool find_general_section();
  flow entry(const std::string& keyword);
  flow train_entry(const std::string& keyword);
  flow speed_entry(const std::string& keyword);
  flow adhesion_entry(const std::string& keyword);
  flow clock_entry(const std::string& keyword);
  flow sand_entry(const std::string& keyword);
  void given(std::string_view entry);
  flow accept(int32_t position, int64_t reach = kEntryReach);
  flow profile_entry(int64_t& cursor, int64_t& current, bool speed);
  flow signal_entry(const std::string& keyword);
  void note_signal(const int32_t (&v)[11], const text_position (&at)[11]);
  flow slowdown_entry(const std::string& keyword);
  flow slowdown_conflict(int32_t code, int32_t x, const slowdown_segments& cells);
  void note_slowdown(const int32_t (&v)[6], const text_position (&at)[6]);
  void place_slowdown(int32_t x, const slowdown_segments& cells, bool lead_in);
  flow abbattimento_entry(const std::string& keyword);
  flow station_entry(const std::string& keyword);
  flow station_extent(general_entry& station, int32_t p, int32_t n);
  flow station_marks(const general_entry& station);
  void end_of_reading();
  void check_progressives();

  flow quit(int32_t code, std::optional<int32_t> position = std::nullopt);
  flow stopped_by_earlier(int32_t position, std::string_view entry);
  // The same for an entry refused on a taken segment, saying what holds it.
  flow refuse(int32_t code, int32_t position, std::string detail) {
    outcome_.detail = std::move(detail);
    return quit(code, position);
  }
  std::string taken(int64_t index) const {
    return "segment " + std::to_string(index) + " already holds " + notes_.holder(index, r_);
  }
  void note_site() { outcome_.site = failure_site{source_kind::train_service, entry_start_}; }
  void note_position(text_position where, std::string_view what, int64_t position, int64_t offset) {
    notes_.snapped(where, what, position, offset);
    notes_.beyond_end(where, what, position, r_);
  }
  uint8_t speed_step(int64_t speed) const;

  field_reader fields_;
  scenario_records& r_;
  reading_outcome& outcome_;
  entry_notes notes_;
  entry_watch watch_;
  field_fate fate_ = field_fate::unknown;
  int32_t sign_board_cursor_;
  text_position entry_start_;
  int32_t entry_value_ = 0;
  int32_t station_number_ = 1;
  int64_t speed_cursor_ = 0;
  int64_t adhesion_cursor_ = 0;
  int64_t current_speed_ = 0;
  int64_t current_adhesion_ = 0;
  // Where the speed in force was read: a speed is stored only when the next
  // "velocita" entry or the end of the text comes, and a speed that does not
  // fit is the fault of its own field.
  text_position current_speed_at_;
  std::optional<int64_t> last_speed_;
  std::optional<int64_t> last_adhesion_;
  // A failure 15 the line description left in force, and where it was found.
  std::optional<failure_site> inherited_site_;
  int32_t inherited_position_ = 0;
};

flow service_reader::quit(int32_t code, std::optional<int32_t> position) {
  r_.failure_code = code;
  if (position) r_.failure_position = *position;
  outcome_.delete_train_service = true;
  note_site();
  return flow::quit;
}

// A failure 15 the line description left ends the reading at the first
// signal or slowdown, far from its cause: say where it came from.
flow service_reader::stopped_by_earlier(int32_t position, std::string_view entry) {
  if (r_.failure_code == 15 && inherited_site_)
    outcome_.detail = std::string(entry) + at_metres(position) +
                      " ends the reading: failure 15 of the line description, its entry at " +
                      std::to_string(inherited_position_) + " m on line " +
                      std::to_string(inherited_site_->where.line) +
                      " beyond the end of the line, is still in force";
  return quit(r_.failure_code, position);
}

void service_reader::read() {
  if (r_.failure_code == 15) {
    inherited_site_ = outcome_.site;
    inherited_position_ = r_.failure_position;
  }
  try {
    // Everything before the general section is the author's own.
    if (!find_general_section()) return end_of_reading();
    while (const std::optional<std::string> field = next_keyword_field(fields_)) {
      entry_start_ = fields_.field_start();
      const flow next = watch_examination(
          watch_, fields_, *field, fate_, [] { return std::string_view(); },
          [&] { return entry(*field); });
      if (next == flow::quit) return;
      if (next == flow::end_of_reading) break;
    }
    end_of_reading();
  } catch (const run_time_failure& failure) {
    throw reading_failure{fields_.field_start(), failure.what};
  }
}

bool service_reader::find_general_section() {
  for (;;) {
    std::string field = fields_.read_text();
    if (fields_.at_end()) return false;
    if (contains_ignoring_case(field, "[generale]")) return true;
  }
}

// Every test is made, so a field holding two keywords is handled by both.
flow service_reader::entry(const std::string& f) {
  auto has = [&f](std::string_view word) { return contains_ignoring_case(f, word); };
  using handler = flow (service_reader::*)(const std::string&);
  const std::pair<bool, handler> handlers[] = {
      {(has("frenata") && has("massa")) || has("vetture"), &service_reader::train_entry},
      {has("velocit"), &service_reader::speed_entry},
      {has("aderenza"), &service_reader::adhesion_entry},
      {has("orologio"), &service_reader::clock_entry},
      {has("sabbia"), &service_reader::sand_entry},
      {has("segnale"), &service_reader::signal_entry},
      {has("rallentamento"), &service_reader::slowdown_entry},
      {has("abbattimento"), &service_reader::abbattimento_entry},
      {has("stazione"), &service_reader::station_entry},
  };
  try {
    for (const auto& [matches, handle] : handlers) {
      if (!matches) continue;
      fate_ = field_fate::taken;
      if (flow next = (this->*handle)(f); next != flow::next) return next;
    }
    return flow::next;
  } catch (const outside_array& outside) {
    outcome_.detail = outside_line(f, entry_value_, outside, r_);
    return quit(30, entry_value_);
  }
}

void service_reader::given(std::string_view entry) { notes_.given(entry, entry_start_); }

// Braked mass first, then the number of coaches, as a field holding both
// keywords reads them.
flow service_reader::train_entry(const std::string& f) {
  using namespace train_and_length_slot;
  if (contains_ignoring_case(f, "frenata") && contains_ignoring_case(f, "massa")) {
    given("percentuale massa frenata");
    braking_mass.in(r_.general_table) = fields_.read_i32();
  }
  if (contains_ignoring_case(f, "vetture")) {
    given("numero vetture");
    cars.in(r_.general_table) = fields_.read_i32();
  }
  return flow::next;
}

flow service_reader::clock_entry(const std::string&) {
  given("orologio");
  using namespace signalling_and_train_slot;
  clock_hours.in(r_.general_table) = fields_.read_i16();
  clock_minutes.in(r_.general_table) = fields_.read_i16();
  clock_seconds.in(r_.general_table) = fields_.read_i16();
  return flow::next;
}

flow service_reader::sand_entry(const std::string&) {
  given("sabbia");
  signalling_and_train_slot::sand.in(r_.general_table) = fields_.read_i16();
  return flow::next;
}

flow service_reader::accept(int32_t position, int64_t reach) {
  entry_value_ = position;
  if (int64_t{r_.segment_last} * 50 < position + reach) {
    r_.failure_code = 15;
    r_.failure_position = position;
    note_site();
    return flow::end_of_reading;
  }
  if (position < 0) {
    outcome_.detail = before_line_start(position);
    return quit(30, position);
  }
  return flow::next;
}

uint8_t service_reader::speed_step(int64_t speed) const {
  const int64_t step = round_div(speed, 5);
  if (step < 0 || step > 255)
    throw reading_failure{current_speed_at_,
                          "speed " + std::to_string(speed) +
                              " km/h is out of range: a segment keeps speed / 5, which must lie "
                              "between 0 and 255 (speeds from 0 to 1277 km/h)"};
  return static_cast<uint8_t>(step);
}

flow service_reader::speed_entry(const std::string&) {
  return profile_entry(speed_cursor_, current_speed_, true);
}

flow service_reader::adhesion_entry(const std::string&) {
  return profile_entry(adhesion_cursor_, current_adhesion_, false);
}

// A profile value holds from its position to the next entry's; the cells up
// to the new position take the value in force before it.
flow service_reader::profile_entry(int64_t& cursor, int64_t& current, bool speed) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  const int32_t value = fields_.read_i32();
  const text_position value_at = fields_.field_start();
  if (flow f = accept(position); f != flow::next) return f;
  const std::string_view what = speed ? "\"velocita\"" : "\"aderenza\"";
  note_position(position_at, what, position, 0);
  notes_.in_order(position_at, what, position, speed ? last_speed_ : last_adhesion_);
  if (speed)
    notes_.rounded(value_at, "speed limit", value);
  else
    notes_.wrapped(value_at, "adhesion", value, 8);
  const int64_t e = segment_index(position, 0);
  if (e > 0) {
    do {
      if (speed) {
        if (cursor >= r_.segment_last) break;
        segment_at(r_, cursor).speed_limit = speed_step(current);
      } else {
        segment_at(r_, cursor).adhesion = low8(current);
      }
      ++cursor;
    } while (cursor < e);
  }
  current = value;
  if (speed) current_speed_at_ = value_at;
  return flow::next;
}

flow service_reader::signal_entry(const std::string&) {
  int32_t v[11];
  text_position at[11];
  for (int i = 0; i < 11; ++i) {
    v[i] = fields_.read_i32();
    at[i] = fields_.field_start();
  }
  if (flow f = accept(v[0]); f != flow::next) return f;
  const int64_t i = signal_segment(v[0]);
  // The signal's own cell is written before its approach marks, which may
  // then fall outside the line: it stays, and its entry is named for it.
  const bool writes_cell =
      i >= 0 && i <= r_.segment_last && is_free(r_.segments[static_cast<size_t>(i)]);
  if (writes_cell) notes_.place(i, entry_start_, mark_role::signal, v[0]);
  memo_segnale(r_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  if (r_.failure_code == 16)
    return refuse(16, v[0], "\"segnale\"" + at_metres(v[0]) + ": " + taken(i));
  if (r_.failure_code > 0) return stopped_by_earlier(v[0], "\"segnale\"");
  note_signal(v, at);
  const int64_t approach[] = {i - 2, i - 4, i - 6, i - 8};
  notes_.place_approach_marks(approach, entry_start_, mark_role::signal, v[0], 0, r_.general_table);
  return flow::next;
}

// The signal's values are combined into 16-bit fields, its time and
// approach marks into 8-bit ones; each keeps only its low bits.
void service_reader::note_signal(const int32_t (&v)[11], const text_position (&at)[11]) {
  note_position(at[0], "\"segnale\"", v[0], kMarkOffset);
  const int64_t sx = v[1], s1 = v[2], s2 = v[3], s3 = v[4], rapp = v[5], dx = v[6];
  const int64_t d1 = v[7], d2 = v[8], d3 = v[9];
  notes_.wrapped(at[2], "s1 x 10 + d1 =", s1 * 10 + d1, 16);
  notes_.wrapped(at[3], "s2 x 10 + d2 =", s2 * 10 + d2, 16);
  notes_.wrapped(at[4], "s3 x 10 + d3 =", s3 * 10 + d3, 16);
  notes_.wrapped(at[5], "rapp x 10 + sx x 3 + dx =", rapp * 10 + sx * 3 + dx, 16);
  const int64_t mark = (sx * 3 + dx) * 10;
  if (low8(mark + 1) != mark + 1 || low8(mark + 4) != mark + 4)
    notes_.wrapped(at[1], "approach mark (sx x 3 + dx) x 10 + 4 =", mark + 4, 8);
  // tempo has already been raised to 101 when it was 1 to 100.
  if (sx == 2) notes_.wrapped(at[10], "tempo", v[10], 8);
}

flow service_reader::slowdown_entry(const std::string&) {
  int32_t v[6];
  text_position at[6];
  for (int i = 0; i < 6; ++i) {
    v[i] = fields_.read_i32();
    at[i] = fields_.field_start();
  }
  if (flow f = accept(v[0]); f != flow::next) return f;
  const slowdown_segments cells = slowdown_cells(v[0], v[2]);
  auto usable = [this](int64_t c) {
    return c >= 0 && c <= r_.segment_last && is_free(r_.segments[static_cast<size_t>(c)]);
  };
  // With all three free, the marks are written even when the lead-in then
  // fails: name the entry for them.
  if ((!cells.warned || usable(cells.warning)) && usable(cells.start) && usable(cells.end))
    place_slowdown(v[0], cells, false);
  memo_rallentamento(r_, v[0], v[1], v[2], v[3], v[4], v[5]);
  if (r_.failure_code >= 17 && r_.failure_code <= 20)
    return slowdown_conflict(r_.failure_code, v[0], cells);
  if (r_.failure_code > 0) return stopped_by_earlier(v[0], "\"rallentamento\"");
  if (v[4] != 0 && cells.warned) place_slowdown(v[0], cells, true);
  note_slowdown(v, at);
  return flow::next;
}

void service_reader::place_slowdown(int32_t x, const slowdown_segments& cells, bool lead_in) {
  if (lead_in) {
    for (int j = 0; j < 4; ++j)
      notes_.place(cells.lead_in - j, entry_start_, mark_role::slowdown_lead_in, x);
    return;
  }
  if (cells.warned) notes_.place(cells.warning, entry_start_, mark_role::slowdown_warning, x);
  notes_.place(cells.end, entry_start_, mark_role::slowdown_end, x);
  notes_.place(cells.start, entry_start_, mark_role::slowdown_start, x);
}

flow service_reader::slowdown_conflict(int32_t code, int32_t x, const slowdown_segments& cells) {
  const std::string entry = "\"rallentamento\"" + at_metres(x) + ": ";
  if (code == 17) return refuse(code, x, entry + "its warning point: " + taken(cells.warning));
  if (code == 18) return refuse(code, x, entry + "its start: " + taken(cells.start));
  if (code == 19) return refuse(code, x, entry + "its end: " + taken(cells.end));
  int64_t held = cells.lead_in;
  while (held > cells.lead_in - 3 && is_free(r_.segments[static_cast<size_t>(held)])) --held;
  return refuse(code, x,
                entry + "its lead-in, segments " + std::to_string(cells.lead_in - 3) + " to " +
                    std::to_string(cells.lead_in) + ": " + taken(held));
}

void service_reader::note_slowdown(const int32_t (&v)[6], const text_position (&at)[6]) {
  const int64_t x = v[0], l = v[2];
  note_position(at[0], "\"rallentamento\"", x, kMarkOffset);
  if ((x + l) % kSegmentMetres != 0) notes_.snapped(at[2], "its end", x + l, kMarkOffset);
  notes_.wrapped(at[1], "speed", v[1], 16);
  notes_.wrapped(at[3], "f_tt", v[3], 16);
  if (v[5] != 0) notes_.wrapped(at[5], "d_v", v[5], 16);
  const slowdown_segments cells = slowdown_cells(v[0], v[2]);
  if (v[4] != 0 && !cells.warned)
    notes_.warn(warning_id::kLeadInIgnored, at[4],
                "lead-in marks are asked for, but a slowdown starting at 1500 m or less has no "
                "warning point and no lead-in: f_ta is ignored");
  if (cells.start != cells.end) return;
  std::string message = "\"rallentamento\"" + at_metres(x) + " over " + std::to_string(l) +
                        " m ends in its start segment " + std::to_string(cells.start) +
                        ": it is stored with its start mark only, and has no end of its own";
  if (low16(v[1]) < kWalkedSpeed)
    message +=
        "; the track-code pass then walks on to the next slowdown's end or to the end of the "
        "line, placing a code point every 8 segments";
  notes_.warn(warning_id::kSlowdownInOneSegment, entry_start_, message);
}

flow service_reader::abbattimento_entry(const std::string&) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  const int32_t value = fields_.read_i32();
  const text_position value_at = fields_.field_start();
  if (flow f = accept(position); f != flow::next) return f;
  const int64_t index = segment_index(position, 0);
  track_segment& cell = segment_at(r_, index);
  if (!is_free(cell))
    return refuse(7, position, "\"abbattimento\"" + at_metres(position) + ": " + taken(index));
  note_position(position_at, "\"abbattimento\"", position, 0);
  notes_.place(index, entry_start_, mark_role::abbattimento, position);
  if (value > 0) {
    notes_.wrapped(value_at, "abbattimento value", value, 16);
    cell.kind = kCodePoint;
    cell.value1 = low16(value);
  } else {
    cell.kind = kCodePointWithoutValue;
  }
  return flow::next;
}

flow service_reader::station_entry(const std::string&) {
  // Eighty sign boards leave no slot at all for a station.
  if (station_number_ > sign_board_cursor_) return quit(10);
  using namespace station_slot;
  general_entry& station = r_.general_table[static_cast<size_t>(station_number_)];
  const int32_t p = position.of(station) = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  if (flow f = accept(p, kStationReach); f != flow::next) return f;
  if (p % 50 != 0) return quit(8, p);
  type.of(station) = fields_.read_u8();
  const int32_t n = fields_.read_i32();
  if (n % 100 != 0) return quit(9, p);
  for_each_field(station_slot::entry_numbers, [&](const auto& number) {
    auto& stored = number.of(station);
    stored = read_as<std::remove_reference_t<decltype(stored)>>(fields_);
  });
  const int64_t hours = fields_.read_i32();
  const int64_t minutes = fields_.read_i32();
  const int64_t seconds = fields_.read_i32();
  name.of(station) = checked_text(fields_, fields_.read_text());
  const text_position name_at = fields_.field_start();
  time_of_day.of(station) = checked<int32_t>(fields_, (hours * 60 + minutes) * 60 + seconds);
  if (flow f = station_extent(station, p, n); f != flow::next) return f;
  notes_.beyond_end(position_at, "\"stazione\"", p, r_);
  notes_.encoding(name_at, "the station name", name.of(station));
  if (flow f = station_marks(station); f != flow::next) return f;
  if (station_number_ > 1 && extent_start.of(station) - kStationSpacing <
                                 extent_end.of(r_.general_table[station_number_ - 1]))
    return quit(22, position.of(station));
  if (++station_number_ >= sign_board_cursor_) return quit(10);
  return flow::next;
}

flow service_reader::station_extent(general_entry& station, int32_t p, int32_t n) {
  using namespace station_slot;
  const uint8_t type = station_slot::type.of(station);
  int32_t& start = extent_start.of(station);
  int32_t& end = extent_end.of(station);
  if (type == 5 || type == 6) {
    end = checked<int32_t>(fields_, int64_t{p} + 150);
    start = checked<int32_t>(fields_, int64_t{p} - n);
    station.option_d = 0;
  } else if (type == 7 || type == 8) {
    start = checked<int32_t>(fields_, int64_t{p} - n);
    end = checked<int32_t>(fields_, int64_t{p} + n);
    station.option_d = 0;
  } else {
    start = checked<int32_t>(fields_, round_div(2 * int64_t{p} - n, 2));
    end = checked<int32_t>(
        fields_, round_div(int64_t{n} + 2 * int64_t{p}, 2) + (station.option_d != 0 ? 50 : 0));
  }
  if (n < 600) station.option_e = 0;
  if (station_number_ == 1) {
    station.option_d = 0;
    station.option_e = 0;
  }
  return flow::next;
}

// Approach marks on the four cells from two to five before the end cell,
// then the stop mark on the cell before the end.
flow service_reader::station_marks(const general_entry& station) {
  const uint8_t type = station_slot::type.of(station);
  const int64_t end = station_slot::extent_end.of(station);
  const int32_t position = station_slot::position.of(station);
  if (type <= kLastMarkedStationType && type != 5 && type != 6) {
    std::vector<int64_t> marked;
    for (int k = 1; k <= 4; ++k) {
      // t = end / 50 - k - 1 must be above 1
      if (end - 50 * (k + 1) <= 50) continue;
      marked.push_back(segment_index(end, -(k + 1)));
      segment_at(r_, marked.back()).approach_mark = low8(80 + k);
    }
    notes_.place_approach_marks(marked, entry_start_, mark_role::station, position, station_number_,
                                r_.general_table);
  }
  if (type <= kLastMarkedStationType) {
    if (end - 50 <= 50) return quit(24);
    const int64_t index = segment_index(end, -1);
    track_segment& stop = segment_at(r_, index);
    // The stop mark takes its cell whatever stood there.
    if (!is_free(stop))
      notes_.warn(warning_id::kMarkOverwritten, entry_start_,
                  "the stop mark of " +
                      describe({mark_role::station, source_kind::train_service, entry_start_,
                                position, station_number_},
                               r_.general_table) +
                      " is written over segment " + std::to_string(index) + ", which held " +
                      notes_.holder(index, r_) + "; that mark is lost");
    stop.kind = kStopMark;
    stop.value1 = static_cast<int16_t>(station_number_);
    notes_.place(index, entry_start_, mark_role::stop_mark, position, station_number_);
  }
  return flow::next;
}

// The last profile values hold to the end of the line.
void service_reader::end_of_reading() {
  outcome_.delete_train_service = true;
  const int64_t stop = int64_t{r_.segment_last} - 2;
  auto cell = [this](int64_t i) -> track_segment& {
    if (i < 0 || i > r_.segment_last || !r_.segments_allocated())
      throw run_time_failure{"a profile runs past the end of the segment array"};
    return r_.segments[static_cast<size_t>(i)];
  };
  do cell(speed_cursor_++).speed_limit = speed_step(current_speed_);
  while (speed_cursor_ < stop);
  do cell(adhesion_cursor_++).adhesion = low8(current_adhesion_);
  while (adhesion_cursor_ < stop);
  check_progressives();
}

void service_reader::check_progressives() {
  bool misaligned = false;
  for (int slot = kSlotProgressiveTre; slot <= kSlotProgressiveUno; ++slot) {
    const general_entry& e = r_.general_table[slot];
    if (progressive_slot::position.of(e) % 50 != 0 || progressive_slot::value.of(e) % 50 != 0)
      misaligned = true;
  }
  if (!misaligned) return;
  r_.failure_code = 2;
  outcome_.site = failure_site{source_kind::train_service, fields_.here()};
  for (const auto& source : outcome_.progressive_sources) {
    if (source.position % 50 != 0 || source.value % 50 != 0) {
      outcome_.site = failure_site{source_kind::line_description, source.where};
      break;
    }
  }
}

}  // namespace

void read_train_service(std::string_view text, scenario_records& records, reading_outcome& outcome,
                        int32_t sign_board_cursor) {
  service_reader reader(text, records, outcome, sign_board_cursor);
  reader.read();
}

}  // namespace scenario
