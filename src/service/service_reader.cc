#include "service/service_reader.h"

#include <string>

#include "model/rounding.h"
#include "reading/field_reader.h"
#include "service/signals_and_slowdowns.h"

namespace scenario {
namespace {

enum class flow { next, end_of_reading, quit };

// An entry is accepted when its position leaves this much of the line
// after it; a station needs room for its platform.
constexpr int64_t kEntryReach = 100;
constexpr int64_t kStationReach = 800;
constexpr int64_t kStationSpacing = 350;
constexpr int32_t kLastMarkedStationType = 24;

class service_reader {
 public:
  service_reader(std::string_view text, scenario_records& records, reading_outcome& outcome,
                 int32_t sign_board_cursor)
      : fields_(text), r_(records), outcome_(outcome), sign_board_cursor_(sign_board_cursor) {}

  void read();

 private:
  bool find_general_section();
  flow entry(const std::string& keyword);
  flow accept(int32_t position, int64_t reach = kEntryReach);
  flow profile_entry(int64_t& cursor, int64_t& current, bool speed);
  flow signal_entry();
  flow slowdown_entry();
  flow abbattimento_entry();
  flow station_entry();
  flow station_extent(general_entry& station, int32_t p, int32_t n);
  flow station_marks(const general_entry& station);
  void end_of_reading();
  void check_progressives();

  flow quit(int32_t code, std::optional<int32_t> position = std::nullopt);
  void note_site() { outcome_.site = failure_site{source_kind::train_service, entry_start_}; }
  uint8_t speed_step(int64_t speed) const;

  field_reader fields_;
  scenario_records& r_;
  reading_outcome& outcome_;
  int32_t sign_board_cursor_;
  text_position entry_start_;
  int32_t entry_value_ = 0;
  int32_t station_number_ = 1;
  int64_t speed_cursor_ = 0;
  int64_t adhesion_cursor_ = 0;
  int64_t current_speed_ = 0;
  int64_t current_adhesion_ = 0;
};

flow service_reader::quit(int32_t code, std::optional<int32_t> position) {
  r_.failure_code = code;
  if (position) r_.failure_position = *position;
  outcome_.delete_train_service = true;
  note_site();
  return flow::quit;
}

void service_reader::read() {
  try {
    // Everything before the general section is the author's own.
    if (!find_general_section()) return end_of_reading();
    while (const std::optional<std::string> field = next_keyword_field(fields_)) {
      entry_start_ = fields_.field_start();
      const flow next = entry(*field);
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
  general_entry& train = r_.general_table[kSlotTrainAndLength];
  general_entry& clock = r_.general_table[kSlotSignallingAndTrain];
  try {
    if (has("frenata") && has("massa")) train.value_a = fields_.read_i32();
    if (has("vetture")) train.value_c = fields_.read_i32();
    if (has("velocit"))
      if (flow f = profile_entry(speed_cursor_, current_speed_, true); f != flow::next) return f;
    if (has("aderenza"))
      if (flow f = profile_entry(adhesion_cursor_, current_adhesion_, false); f != flow::next)
        return f;
    if (has("orologio")) {
      clock.number_c = fields_.read_i16();
      clock.number_d = fields_.read_i16();
      clock.number_e = fields_.read_i16();
    }
    if (has("sabbia")) clock.number_a = fields_.read_i16();
    if (has("segnale"))
      if (flow f = signal_entry(); f != flow::next) return f;
    if (has("rallentamento"))
      if (flow f = slowdown_entry(); f != flow::next) return f;
    if (has("abbattimento"))
      if (flow f = abbattimento_entry(); f != flow::next) return f;
    if (has("stazione"))
      if (flow f = station_entry(); f != flow::next) return f;
    return flow::next;
  } catch (const outside_array&) {
    return quit(30, entry_value_);
  }
}

flow service_reader::accept(int32_t position, int64_t reach) {
  entry_value_ = position;
  if (int64_t{r_.segment_last} * 50 < position + reach) {
    r_.failure_code = 15;
    r_.failure_position = position;
    note_site();
    return flow::end_of_reading;
  }
  if (position < 0) return quit(30, position);
  return flow::next;
}

uint8_t service_reader::speed_step(int64_t speed) const {
  const int64_t step = round_div(speed, 5);
  if (step < 0 || step > 255)
    throw run_time_failure{"speed " + std::to_string(speed) + " km/h is out of range"};
  return static_cast<uint8_t>(step);
}

// A profile value holds from its position to the next entry's; the cells up
// to the new position take the value in force before it.
flow service_reader::profile_entry(int64_t& cursor, int64_t& current, bool speed) {
  const int32_t position = fields_.read_i32();
  const int32_t value = fields_.read_i32();
  if (flow f = accept(position); f != flow::next) return f;
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
  return flow::next;
}

flow service_reader::signal_entry() {
  int32_t v[11];
  for (int32_t& value : v) value = fields_.read_i32();
  if (flow f = accept(v[0]); f != flow::next) return f;
  memo_segnale(r_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  if (r_.failure_code > 0) return quit(r_.failure_code, v[0]);
  return flow::next;
}

flow service_reader::slowdown_entry() {
  int32_t v[6];
  for (int32_t& value : v) value = fields_.read_i32();
  if (flow f = accept(v[0]); f != flow::next) return f;
  memo_rallentamento(r_, v[0], v[1], v[2], v[3], v[4], v[5]);
  if (r_.failure_code > 0) return quit(r_.failure_code, v[0]);
  return flow::next;
}

flow service_reader::abbattimento_entry() {
  const int32_t position = fields_.read_i32();
  const int32_t value = fields_.read_i32();
  if (flow f = accept(position); f != flow::next) return f;
  track_segment& cell = segment_at(r_, segment_index(position, 0));
  if (!is_free(cell)) return quit(7, position);
  if (value > 0) {
    cell.kind = kCodePoint;
    cell.value1 = low16(value);
  } else {
    cell.kind = kCodePointWithoutValue;
  }
  return flow::next;
}

flow service_reader::station_entry() {
  // Eighty sign boards leave no slot at all for a station.
  if (station_number_ > sign_board_cursor_) return quit(10);
  general_entry& station = r_.general_table[static_cast<size_t>(station_number_)];
  const int32_t p = station.value_c = fields_.read_i32();
  if (flow f = accept(p, kStationReach); f != flow::next) return f;
  if (p % 50 != 0) return quit(8, p);
  station.kind = fields_.read_u8();
  const int32_t n = fields_.read_i32();
  if (n % 100 != 0) return quit(9, p);
  station.option_a = fields_.read_u8();
  station.option_e = fields_.read_u8();
  station.option_d = fields_.read_u8();
  station.number_a = fields_.read_i16();
  station.number_b = fields_.read_i16();
  station.option_b = fields_.read_u8();
  station.number_c = fields_.read_i16();
  station.number_d = fields_.read_i16();
  station.number_e = fields_.read_i16();
  station.option_c = fields_.read_u8();
  const int64_t hours = fields_.read_i32();
  const int64_t minutes = fields_.read_i32();
  const int64_t seconds = fields_.read_i32();
  station.text = checked_text(fields_, fields_.read_text());
  station.time_s = checked<int32_t>(fields_, (hours * 60 + minutes) * 60 + seconds);
  if (flow f = station_extent(station, p, n); f != flow::next) return f;
  if (flow f = station_marks(station); f != flow::next) return f;
  if (station_number_ > 1 &&
      station.value_a - kStationSpacing < r_.general_table[station_number_ - 1].value_b)
    return quit(22, station.value_c);
  if (++station_number_ >= sign_board_cursor_) return quit(10);
  return flow::next;
}

flow service_reader::station_extent(general_entry& station, int32_t p, int32_t n) {
  const uint8_t type = station.kind;
  if (type == 5 || type == 6) {
    station.value_b = checked<int32_t>(fields_, int64_t{p} + 150);
    station.value_a = checked<int32_t>(fields_, int64_t{p} - n);
    station.option_d = 0;
  } else if (type == 7 || type == 8) {
    station.value_a = checked<int32_t>(fields_, int64_t{p} - n);
    station.value_b = checked<int32_t>(fields_, int64_t{p} + n);
    station.option_d = 0;
  } else {
    station.value_a = checked<int32_t>(fields_, round_div(2 * int64_t{p} - n, 2));
    station.value_b = checked<int32_t>(
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
  const uint8_t type = station.kind;
  const int64_t end = station.value_b;
  if (type <= kLastMarkedStationType && type != 5 && type != 6) {
    for (int k = 1; k <= 4; ++k) {
      // t = end / 50 - k - 1 must be above 1
      if (end - 50 * (k + 1) > 50)
        segment_at(r_, segment_index(end, -(k + 1))).approach_mark = low8(80 + k);
    }
  }
  if (type <= kLastMarkedStationType) {
    if (end - 50 <= 50) return quit(24);
    track_segment& stop = segment_at(r_, segment_index(end, -1));
    stop.kind = kStopMark;
    stop.value1 = static_cast<int16_t>(station_number_);
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
    if (e.value_a % 50 != 0 || e.value_b % 50 != 0) misaligned = true;
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
