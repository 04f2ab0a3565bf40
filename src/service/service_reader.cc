#include "service/service_reader.h"

#include <string>

#include "model/fields.h"
#include "model/rounding.h"
#include "reading/entry_reader.h"
#include "reading/warning_ids.h"
#include "service/plausibility.h"
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

// A station is accepted when its position leaves room for its platform.
constexpr int64_t kStationReach = 800;
constexpr int64_t kStationSpacing = 350;
constexpr int32_t kLastMarkedStationType = 24;
// The track-code pass walks through slowdowns slower than this.
constexpr int64_t kWalkedSpeed = 110;

// What a train service description without its general section loses.
constexpr counted_kind kCountedEntries[] = {
    {"stazione", "station", "stations"},
    {"segnale", "signal", "signals"},
    {"rallentamento", "slowdown", "slowdowns"},
    {"velocit", "speed limit", "speed limits"},
};

const text_vocabulary kWords{"the train service description", kServiceKeywords, kServiceSections};

std::string at_metres(int64_t position) { return " at " + std::to_string(position) + " m"; }

class service_reader : entry_reader {
 public:
  service_reader(std::string_view text, scenario_records& records, reading_outcome& outcome,
                 int32_t sign_board_cursor)
      : entry_reader(source_kind::train_service, text, records, outcome),
        watch_(source_kind::train_service, kWords, outcome.warnings),
        sign_board_cursor_(sign_board_cursor) {}

  void read();

 private:
  entry_flow entry(const std::string& keyword);
  entry_flow train_entry(const std::string& keyword);
  entry_flow speed_entry(const std::string& keyword);
  entry_flow adhesion_entry(const std::string& keyword);
  entry_flow clock_entry(const std::string& keyword);
  entry_flow sand_entry(const std::string& keyword);
  entry_flow profile_entry(int64_t& cursor, int64_t& current, bool speed);
  entry_flow signal_entry(const std::string& keyword);
  void note_signal(const signal_values& s, const text_position (&at)[11], int32_t tempo);
  void note_digits(const signal_values& s, const text_position (&at)[11]);
  void note_station_values(const general_entry& station, text_position type_at,
                           const text_position (&option_at)[2], uint8_t option_e, uint8_t option_d,
                           int32_t n);
  entry_flow slowdown_entry(const std::string& keyword);
  entry_flow slowdown_conflict(const slowdown_values& slowdown, const taken_cell& taken,
                               const slowdown_segments& cells);
  void note_slowdown(const slowdown_values& slowdown, const text_position (&at)[6]);
  void place_slowdown(int32_t x, const slowdown_segments& cells, bool lead_in);
  entry_flow abbattimento_entry(const std::string& keyword);
  entry_flow station_entry(const std::string& keyword);
  entry_flow station_extent(general_entry& station, int32_t p, int32_t n);
  entry_flow station_marks(const general_entry& station);
  std::string station_gap(const general_entry& station, const general_entry& previous) const;
  void end_of_reading();
  void check_progressives();

  entry_flow stopped_by_earlier(int32_t position, std::string_view entry);
  void note_position(text_position where, std::string_view what, int64_t position, int64_t offset) {
    notes_.snapped(where, what, position, offset);
    notes_.beyond_end(where, what, position, r_);
  }
  uint8_t speed_step(int64_t speed) const;

  entry_watch watch_;
  int32_t sign_board_cursor_;
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
  // The entries the plausibility checks look at once everything is read.
  service_plan plan_;
  // A failure 15 the line description left in force, and where it was found.
  std::optional<failure_site> inherited_site_;
  int32_t inherited_position_ = 0;
};

// A failure 15 the line description left ends the reading at the first
// signal or slowdown, far from its cause: say where it came from.
entry_flow service_reader::stopped_by_earlier(int32_t position, std::string_view entry) {
  if (r_.failure_code == 15 && inherited_site_) {
    outcome_.detail = std::string(entry) + at_metres(position) +
                      " ends the reading: failure 15 of the line description, its entry at " +
                      std::to_string(inherited_position_) + " m on line " +
                      std::to_string(inherited_site_->where.line) +
                      " beyond the end of the line, is still in force";
    outcome_.cause = inherited_site_;
  }
  return quit(r_.failure_code, position);
}

void service_reader::read() {
  if (r_.failure_code == 15) {
    inherited_site_ = outcome_.site;
    inherited_position_ = r_.failure_position;
  }
  reporting_failures([&] {
    // Everything before the general section is the author's own.
    auto no_hint = [](const std::string&) { return std::string_view(); };
    auto examine = [this](const std::string& f) { return entry(f); };
    if (!find_general_section()) {
      notes_.warn(warning_id::kNoGeneralSection, kTextStart,
                  "the train service description has no \"[generale]\" line, where its "
                  "reading begins: " +
                      missing_general_section(kCountedEntries));
    } else if (!read_entries(watch_, no_hint, examine)) {
      return;
    }
    end_of_reading();
  });
}

// Every test is made, so a field holding two keywords is handled by both.
entry_flow service_reader::entry(const std::string& f) {
  auto has = [&f](std::string_view word) { return contains_ignoring_case(f, word); };
  return dispatch(
      *this, f,
      {
          {(has("frenata") && has("massa")) || has("vetture"), &service_reader::train_entry},
          {has("velocit"), &service_reader::speed_entry},
          {has("aderenza"), &service_reader::adhesion_entry},
          {has("orologio"), &service_reader::clock_entry},
          {has("sabbia"), &service_reader::sand_entry},
          {has("segnale"), &service_reader::signal_entry},
          {has("rallentamento"), &service_reader::slowdown_entry},
          {has("abbattimento"), &service_reader::abbattimento_entry},
          {has("stazione"), &service_reader::station_entry},
      });
}

// Braked mass first, then the number of coaches, as a field holding both
// keywords reads them.
entry_flow service_reader::train_entry(const std::string& f) {
  using namespace train_and_length_slot;
  if (contains_ignoring_case(f, "frenata") && contains_ignoring_case(f, "massa")) {
    given("percentuale massa frenata");
    braking_mass.in(r_.general_table) = fields_.read_i32();
  }
  if (contains_ignoring_case(f, "vetture")) {
    given("numero vetture");
    cars.in(r_.general_table) = fields_.read_i32();
  }
  return entry_flow::next;
}

entry_flow service_reader::clock_entry(const std::string&) {
  given("orologio");
  using namespace signalling_and_train_slot;
  // The clock is the one entry whose numbers are written apart by blanks.
  fields_.numbers_separated_by_blanks(true);
  clock_hours.in(r_.general_table) = fields_.read_i16();
  clock_minutes.in(r_.general_table) = fields_.read_i16();
  clock_seconds.in(r_.general_table) = fields_.read_i16();
  fields_.numbers_separated_by_blanks(false);
  return entry_flow::next;
}

entry_flow service_reader::sand_entry(const std::string&) {
  given("sabbia");
  signalling_and_train_slot::sand.in(r_.general_table) = fields_.read_i16();
  return entry_flow::next;
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

entry_flow service_reader::speed_entry(const std::string&) {
  return profile_entry(speed_cursor_, current_speed_, true);
}

entry_flow service_reader::adhesion_entry(const std::string&) {
  return profile_entry(adhesion_cursor_, current_adhesion_, false);
}

// A profile value holds from its position to the next entry's; the cells up
// to the new position take the value in force before it.
entry_flow service_reader::profile_entry(int64_t& cursor, int64_t& current, bool speed) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  const int32_t value = fields_.read_i32();
  const text_position value_at = fields_.field_start();
  if (entry_flow f = accept(position, position_at); f != entry_flow::next) return f;
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
  if (speed) plan_.speeds.push_back({value_at, position, value});
  return entry_flow::next;
}

entry_flow service_reader::signal_entry(const std::string&) {
  signal_values s;
  text_position at[kSignalFields.size()];
  for (size_t i = 0; i < kSignalFields.size(); ++i) {
    s.*kSignalFields[i] = fields_.read_i32();
    at[i] = fields_.field_start();
  }
  if (entry_flow f = accept(s.position, at[0]); f != entry_flow::next) return f;
  const int64_t i = signal_segment(s.position);
  // The signal's own cell is written before its approach marks, which may
  // then fall outside the line: it stays, and its entry is named for it.
  const bool writes_cell =
      i >= 0 && i <= r_.segment_last && is_free(r_.segments[static_cast<size_t>(i)]);
  if (writes_cell) notes_.place(i, entry_start_, mark_role::signal, s.position);
  const int32_t tempo = s.tempo;
  if (const std::optional<taken_cell> taken = memo_segnale(r_, s))
    return refuse(taken->failure, s.position, "\"segnale\"", taken->cell);
  if (r_.failure_code > 0) return stopped_by_earlier(s.position, "\"segnale\"");
  note_signal(s, at, tempo);
  plan_.signals.push_back({entry_start_, s.position});
  const int64_t approach[] = {i - 2, i - 4, i - 6, i - 8};
  notes_.place_approach_marks(approach, entry_start_, mark_role::signal, s.position, 0,
                              r_.general_table);
  return entry_flow::next;
}

// The signal's values are combined into 16-bit fields, its time and
// approach marks into 8-bit ones; each keeps only its low bits.
void service_reader::note_signal(const signal_values& s, const text_position (&at)[11],
                                 int32_t tempo) {
  note_position(at[0], "\"segnale\"", s.position, kMarkOffset);
  const int64_t sx = s.sx, s1 = s.s1, s2 = s.s2, s3 = s.s3, rapp = s.rapp, dx = s.dx;
  const int64_t d1 = s.d1, d2 = s.d2, d3 = s.d3;
  notes_.wrapped(at[2], "s1 x 10 + d1 =", s1 * 10 + d1, 16);
  notes_.wrapped(at[3], "s2 x 10 + d2 =", s2 * 10 + d2, 16);
  notes_.wrapped(at[4], "s3 x 10 + d3 =", s3 * 10 + d3, 16);
  notes_.wrapped(at[5], "rapp x 10 + sx x 3 + dx =", rapp * 10 + sx * 3 + dx, 16);
  const int64_t mark = (sx * 3 + dx) * 10;
  if (low8(mark + 1) != mark + 1 || low8(mark + 4) != mark + 4)
    notes_.wrapped(at[1], "approach mark (sx x 3 + dx) x 10 + 4 =", mark + 4, 8);
  // tempo has already been raised to 101 when it was 1 to 100.
  if (sx == 2) notes_.wrapped(at[10], "tempo", s.tempo, 8);
  if (sx == 2 && tempo != s.tempo)
    notes_.warn(warning_id::kTempoRaised, at[10],
                "tempo " + std::to_string(tempo) +
                    " is stored as 101: a signal's time of 1 to 100 is always raised to 101");
  if (sx != 2 && tempo != 0)
    notes_.warn(warning_id::kTempoUnused, at[10],
                "tempo " + std::to_string(tempo) +
                    " is not stored: a signal keeps its time only "
                    "when sx is 2 (this one has sx " +
                    std::to_string(sx) + ")");
  note_digits(s, at);
}

// Each aspect is stored as one decimal digit beside another in a single
// number: a digit outside 0 to 9 (or dx outside 0 to 2, sx x 3 + dx outside
// 0 to 9) changes its neighbour, and the simulator reads other aspects.
void service_reader::note_digits(const signal_values& s, const text_position (&at)[11]) {
  static constexpr std::string_view kDigit[] = {"d1", "d2", "d3"};
  static constexpr std::string_view kHigh[] = {"s1", "s2", "s3"};
  const int32_t high[] = {s.s1, s.s2, s.s3};
  const int32_t low[] = {s.d1, s.d2, s.d3};
  for (int k = 0; k < 3; ++k) {
    if (low[k] >= 0 && low[k] <= 9) continue;
    const int64_t stored = low16(int64_t{high[k]} * 10 + low[k]);
    notes_.warn(warning_id::kDigitCarried, at[7 + k],
                std::string(kDigit[k]) + " " + std::to_string(low[k]) + " carries into " +
                    std::string(kHigh[k]) + ": " + std::string(kHigh[k]) + " x 10 + " +
                    std::string(kDigit[k]) + " is stored as " + std::to_string(stored) +
                    ", which reads as " + std::string(kHigh[k]) + " " +
                    std::to_string(stored / 10) + ", " + std::string(kDigit[k]) + " " +
                    std::to_string(stored % 10));
  }
  const int64_t side = int64_t{s.sx} * 3 + s.dx;
  const int64_t stored = low16(int64_t{s.rapp} * 10 + side);
  if (s.dx < 0 || s.dx > 2)
    notes_.warn(warning_id::kDigitCarried, at[6],
                "dx " + std::to_string(s.dx) +
                    " carries into sx: sx x 3 + dx keeps dx as 0 to 2, so sx " +
                    std::to_string(s.sx) + " with dx " + std::to_string(s.dx) + " reads as sx " +
                    std::to_string(side / 3) + ", dx " + std::to_string(side % 3));
  else if (side < 0 || side > 9)
    notes_.warn(warning_id::kDigitCarried, at[1],
                "sx x 3 + dx = " + std::to_string(side) +
                    " carries into rapp: rapp x 10 + sx x 3 + dx is stored as " +
                    std::to_string(stored) + ", which reads as rapp " +
                    std::to_string(stored / 10) + ", sx x 3 + dx " + std::to_string(stored % 10));
}

entry_flow service_reader::slowdown_entry(const std::string&) {
  slowdown_values slowdown;
  text_position at[kSlowdownFields.size()];
  for (size_t i = 0; i < kSlowdownFields.size(); ++i) {
    slowdown.*kSlowdownFields[i] = fields_.read_i32();
    at[i] = fields_.field_start();
  }
  const int32_t x = slowdown.x;
  if (entry_flow f = accept(x, at[0]); f != entry_flow::next) return f;
  reaches_with(at[2]);  // its length
  const slowdown_segments cells = slowdown_cells(x, slowdown.l);
  auto usable = [this](int64_t c) {
    return c >= 0 && c <= r_.segment_last && is_free(r_.segments[static_cast<size_t>(c)]);
  };
  // With all three free, the marks are written even when the lead-in then
  // fails: name the entry for them.
  if ((!cells.warned || usable(cells.warning)) && usable(cells.start) && usable(cells.end))
    place_slowdown(x, cells, false);
  if (const std::optional<taken_cell> taken = memo_rallentamento(r_, slowdown))
    return slowdown_conflict(slowdown, *taken, cells);
  if (r_.failure_code > 0) return stopped_by_earlier(x, "\"rallentamento\"");
  if (slowdown.f_ta != 0 && cells.warned) place_slowdown(x, cells, true);
  note_slowdown(slowdown, at);
  plan_.slowdowns.push_back({entry_start_, at[1], at[2], x, slowdown.l, slowdown.v});
  return entry_flow::next;
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

// The failure tells which of the slowdown's marks found its cell taken.
entry_flow service_reader::slowdown_conflict(const slowdown_values& slowdown,
                                             const taken_cell& taken,
                                             const slowdown_segments& cells) {
  std::string part;
  switch (taken.failure) {
    case 17:
      part = "its warning point";
      break;
    case 18:
      part = "its start";
      break;
    case 19:
      part = "its end";
      break;
    default:
      part = "its lead-in, segments " + std::to_string(cells.lead_in - 3) + " to " +
             std::to_string(cells.lead_in);
  }
  return refuse(taken.failure, slowdown.x, "\"rallentamento\"", taken.cell, part);
}

void service_reader::note_slowdown(const slowdown_values& slowdown, const text_position (&at)[6]) {
  const int64_t x = slowdown.x, l = slowdown.l;
  note_position(at[0], "\"rallentamento\"", x, kMarkOffset);
  if ((x + l) % kSegmentMetres != 0) notes_.snapped(at[2], "its end", x + l, kMarkOffset);
  notes_.wrapped(at[1], "speed", slowdown.v, 16);
  notes_.wrapped(at[3], "f_tt", slowdown.f_tt, 16);
  if (slowdown.d_v != 0) notes_.wrapped(at[5], "d_v", slowdown.d_v, 16);
  const slowdown_segments cells = slowdown_cells(slowdown.x, slowdown.l);
  if (slowdown.f_ta != 0 && !cells.warned)
    notes_.warn(warning_id::kLeadInIgnored, at[4],
                "lead-in marks are asked for, but a slowdown starting at 1500 m or less has no "
                "warning point and no lead-in: f_ta is ignored");
  if (cells.start != cells.end) return;
  std::string message = "\"rallentamento\"" + at_metres(x) + " over " + std::to_string(l) +
                        " m ends in its start segment " + std::to_string(cells.start) +
                        ": it is stored with its start mark only, and has no end of its own";
  if (low16(slowdown.v) < kWalkedSpeed)
    message +=
        "; the track-code pass then walks on to the next slowdown's end or to the end of the "
        "line, placing a code point every 8 segments";
  notes_.warn(warning_id::kSlowdownInOneSegment, entry_start_, message);
}

entry_flow service_reader::abbattimento_entry(const std::string&) {
  const int32_t position = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  const int32_t value = fields_.read_i32();
  const text_position value_at = fields_.field_start();
  if (entry_flow f = accept(position, position_at); f != entry_flow::next) return f;
  const int64_t index = segment_index(position, 0);
  track_segment& cell = segment_at(r_, index);
  if (!is_free(cell)) return refuse(7, position, "\"abbattimento\"", index);
  note_position(position_at, "\"abbattimento\"", position, 0);
  notes_.place(index, entry_start_, mark_role::abbattimento, position);
  if (value > 0) {
    notes_.wrapped(value_at, "abbattimento value", value, 16);
    cell.kind = kCodePoint;
    cell.value1 = low16(value);
  } else {
    cell.kind = kCodePointWithoutValue;
  }
  return entry_flow::next;
}

entry_flow service_reader::station_entry(const std::string&) {
  // Eighty sign boards leave no slot at all for a station.
  if (station_number_ > sign_board_cursor_) return quit(10);
  using namespace station_slot;
  general_entry& station = r_.general_table[static_cast<size_t>(station_number_)];
  const int32_t p = position.of(station) = fields_.read_i32();
  const text_position position_at = fields_.field_start();
  if (entry_flow f = accept(p, position_at, kStationReach); f != entry_flow::next) return f;
  if (p % kSegmentMetres != 0) return quit_at(position_at, 8, p);
  type.of(station) = fields_.read_u8();
  const text_position type_at = fields_.field_start();
  const int32_t n = fields_.read_i32();
  const text_position length_at = fields_.field_start();
  if (n % 100 != 0) return quit_at(length_at, 9, p);
  reaches_with(length_at);
  // Where option_e and option_d stand, the second and third of the numbers.
  text_position option_at[2], stop_at;
  int number_index = 0;
  for_each_field(station_slot::entry_numbers, [&](const auto& number) {
    auto& stored = number.of(station);
    stored = read_as<std::remove_reference_t<decltype(stored)>>(fields_);
    if (number_index == 1 || number_index == 2) option_at[number_index - 1] = fields_.field_start();
    if (number_index == 9) stop_at = fields_.field_start();
    ++number_index;
  });
  const uint8_t option_e = station.option_e, option_d = station.option_d;
  const int64_t hours = fields_.read_i32();
  const text_position hours_at = fields_.field_start();
  const int64_t minutes = fields_.read_i32();
  const int64_t seconds = fields_.read_i32();
  name.of(station) = checked_text(fields_, fields_.read_text());
  const text_position name_at = fields_.field_start();
  time_of_day.of(station) = checked<int32_t>(fields_, (hours * 60 + minutes) * 60 + seconds);
  if (entry_flow f = station_extent(station, p, n); f != entry_flow::next) return f;
  notes_.beyond_end(position_at, "\"stazione\"", p, r_);
  notes_.encoding(name_at, "the station name", name.of(station));
  note_station_values(station, type_at, option_at, option_e, option_d, n);
  if (entry_flow f = station_marks(station); f != entry_flow::next) return f;
  if (station_number_ > 1 && extent_start.of(station) - kStationSpacing <
                                 extent_end.of(r_.general_table[station_number_ - 1])) {
    outcome_.detail = station_gap(station, r_.general_table[station_number_ - 1]);
    return quit_at(position_at, 22, position.of(station));
  }
  plan_.stations.push_back({entry_start_, stop_at, hours_at, p, extent_start.of(station),
                            extent_end.of(station), stop_time.of(station), time_of_day.of(station),
                            name.of(station)});
  if (++station_number_ >= sign_board_cursor_) return quit(10);
  return entry_flow::next;
}

// The reader tells station types 5 and 6, 7 and 8, the others below 25
// (marked in the segments) and 25 up (not marked) apart; the built-in line
// uses 2, 4, 12 and 22.  Any other type below 25 is an ordinary marked
// station, which may not be what its author chose it for.
bool known_station_type(uint8_t type) {
  for (uint8_t known : {2, 4, 5, 6, 7, 8, 12, 22})
    if (type == known) return true;
  return type > kLastMarkedStationType;
}

// option_e and option_d are cleared for some stations whatever was written.
void service_reader::note_station_values(const general_entry& station, text_position type_at,
                                         const text_position (&option_at)[2], uint8_t option_e,
                                         uint8_t option_d, int32_t n) {
  const uint8_t type = station_slot::type.of(station);
  if (!known_station_type(type))
    notes_.warn(warning_id::kStationTypeUnknown, type_at,
                "station type " + std::to_string(type) +
                    " is none the reader tells apart (5 and 6, 7 and 8, 25 and above) nor one the "
                    "built-in line uses (2, 4, 12, 22): it is read as an ordinary marked station");
  const std::string first = station_number_ == 1 ? "the first station" : "";
  if (option_e != 0 && station.option_e == 0)
    notes_.warn(warning_id::kStationOptionCleared, option_at[0],
                "option_e " + std::to_string(option_e) + " is stored as 0: it is cleared for " +
                    (first.empty()
                         ? "a station shorter than 600 m (this one is " + std::to_string(n) + " m)"
                         : first));
  if (option_d != 0 && station.option_d == 0)
    notes_.warn(
        warning_id::kStationOptionCleared, option_at[1],
        "option_d " + std::to_string(option_d) + " is stored as 0: it is cleared for " +
            (first.empty() ? "station types 5 to 8 (this one is type " + std::to_string(type) + ")"
                           : first));
}

// The detail of failure 22: where the previous station ends, where this one
// begins, and the gap between them against the 350 m asked for.
std::string service_reader::station_gap(const general_entry& station,
                                        const general_entry& previous) const {
  using namespace station_slot;
  const int64_t end = extent_end.of(previous), start = extent_start.of(station);
  return "the previous station " + std::to_string(station_number_ - 1) + " (" +
         quoted(name.of(previous)) + ", " + std::to_string(position.of(previous)) + " m) ends at " +
         std::to_string(end) + " m and this one begins at " + std::to_string(start) +
         " m: a gap of " + std::to_string(start - end) + " m where " +
         std::to_string(kStationSpacing) + " m are needed";
}

entry_flow service_reader::station_extent(general_entry& station, int32_t p, int32_t n) {
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
  return entry_flow::next;
}

// Approach marks on the four cells from two to five before the end cell,
// then the stop mark on the cell before the end.
entry_flow service_reader::station_marks(const general_entry& station) {
  const uint8_t type = station_slot::type.of(station);
  const int64_t end = station_slot::extent_end.of(station);
  const int32_t position = station_slot::position.of(station);
  if (type <= kLastMarkedStationType && type != 5 && type != 6) {
    std::vector<int64_t> marked;
    for (int k = 1; k <= 4; ++k) {
      // The mark's cell, end / 50 - k - 1, must be above 1.
      if (end - kSegmentMetres * (k + 1) <= kSegmentMetres) continue;
      marked.push_back(segment_index(end, -(k + 1)));
      segment_at(r_, marked.back()).approach_mark = low8(80 + k);
    }
    notes_.place_approach_marks(marked, entry_start_, mark_role::station, position, station_number_,
                                r_.general_table);
  }
  if (type <= kLastMarkedStationType) {
    // Its end comes from its position, where it is moved to mend this.
    if (end - kSegmentMetres <= kSegmentMetres) return quit_at(entry_value_at_, 24);
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
  return entry_flow::next;
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
  check_plausibility(plan_, train_and_length_slot::route_length.in(r_.general_table), notes_);
}

void service_reader::check_progressives() {
  bool misaligned = false;
  for (int slot = kSlotProgressiveTre; slot <= kSlotProgressiveUno; ++slot) {
    const general_entry& e = r_.general_table[slot];
    if (progressive_slot::position.of(e) % kSegmentMetres != 0 ||
        progressive_slot::value.of(e) % kSegmentMetres != 0)
      misaligned = true;
  }
  if (!misaligned) return;
  r_.failure_code = 2;
  outcome_.site = failure_site{source_kind::train_service, fields_.here()};
  // The entry whose values a slot holds (a flag added 100 to its value,
  // which leaves it as aligned as written); one that a later entry of its
  // name replaced, or that the ordering dropped, holds none.
  auto in_a_slot = [this](const reading_outcome::progressive_source& source) {
    for (int slot = kSlotProgressiveTre; slot <= kSlotProgressiveUno; ++slot) {
      const general_entry& e = r_.general_table[slot];
      if (progressive_slot::position.of(e) == source.position &&
          progressive_slot::flag.of(e) == source.flag &&
          progressive_slot::value.of(e) == int64_t{source.value} + (source.flag == 1 ? 100 : 0))
        return true;
    }
    return false;
  };
  for (const auto& source : outcome_.progressive_sources) {
    if (!in_a_slot(source)) continue;
    if (source.position % kSegmentMetres != 0) {
      outcome_.site = failure_site{source_kind::line_description, source.position_at};
      break;
    }
    if (source.value % kSegmentMetres != 0) {
      outcome_.site = failure_site{source_kind::line_description, source.value_at};
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
