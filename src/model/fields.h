// The fields of the two stored records, a segment cell and a table slot,
// each named once: its name in the listings, its member and its offset in
// the packed record the compiled files hold.  The writer, the decoders, the
// listings and decompile's comparison all walk these tables; what a field
// means, per segment kind for value1..value4 and per table slot for the
// slot's fields, is kept here beside them.
#ifndef SCENARIO_MODEL_FIELDS_H_
#define SCENARIO_MODEL_FIELDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "model/records.h"

namespace scenario {

// Bytes a field takes in the packed record: a number its own size; a text
// the u16 count of its bytes, which follow the count.
template <typename T>
inline constexpr size_t kPackedBytes = sizeof(T);
template <>
inline constexpr size_t kPackedBytes<std::string> = 2;

template <typename M>
struct member_traits;
template <typename Record, typename T>
struct member_traits<T Record::*> {
  using record = Record;
  using type = T;
};

// One field of a record.  `offset` counts from the start of the packed
// record; in a table slot the text's bytes come between its count and the
// fields after it, which therefore lie that many bytes further on.
template <auto Member>
struct record_field {
  std::string_view name;
  size_t offset;

  static constexpr auto member = Member;
  using type = typename member_traits<decltype(Member)>::type;
  static constexpr size_t width = kPackedBytes<type>;
};

// Calls `f` with each field of a table in record order; the fields are
// distinct types, so each call is compiled for its own member.
template <typename Fields, typename F>
constexpr void for_each_field(const Fields& fields, F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, fields);
}

// The segment cell: 15 bytes, in the simulator's order.
inline constexpr std::tuple kSegmentFields{
    record_field<&track_segment::kind>{"kind", 0},
    record_field<&track_segment::value1>{"value1", 1},
    record_field<&track_segment::value2>{"value2", 3},
    record_field<&track_segment::value3>{"value3", 5},
    record_field<&track_segment::value4>{"value4", 7},
    record_field<&track_segment::signal_time>{"signal_time", 9},
    record_field<&track_segment::approach_mark>{"approach_mark", 10},
    record_field<&track_segment::tunnel_type>{"tunnel_type", 11},
    record_field<&track_segment::speed_limit>{"speed_limit", 12},
    record_field<&track_segment::gradient>{"gradient", 13},
    record_field<&track_segment::adhesion>{"adhesion", 14},
};

// The table slot: 34 bytes and the bytes of its text.
inline constexpr std::tuple kEntryFields{
    record_field<&general_entry::kind>{"kind", 0},
    record_field<&general_entry::value_a>{"value_a", 1},
    record_field<&general_entry::value_b>{"value_b", 5},
    record_field<&general_entry::value_c>{"value_c", 9},
    record_field<&general_entry::option_a>{"option_a", 13},
    record_field<&general_entry::text>{"text", 14},
    record_field<&general_entry::number_a>{"number_a", 16},
    record_field<&general_entry::number_b>{"number_b", 18},
    record_field<&general_entry::number_c>{"number_c", 20},
    record_field<&general_entry::number_d>{"number_d", 22},
    record_field<&general_entry::number_e>{"number_e", 24},
    record_field<&general_entry::option_b>{"option_b", 26},
    record_field<&general_entry::option_c>{"option_c", 27},
    record_field<&general_entry::option_d>{"option_d", 28},
    record_field<&general_entry::option_e>{"option_e", 29},
    record_field<&general_entry::time_s>{"time_s", 30},
};

inline constexpr size_t kSegmentFieldCount = std::tuple_size_v<decltype(kSegmentFields)>;
inline constexpr size_t kEntryFieldCount = std::tuple_size_v<decltype(kEntryFields)>;

// The bytes of the packed record, or 0 when a field does not start where the
// one before it ends: the fields must follow one another with no gap.
template <typename Fields>
constexpr size_t packed_bytes(const Fields& fields) {
  size_t end = 0;
  bool packed = true;
  for_each_field(fields, [&](const auto& f) {
    packed = packed && f.offset == end;
    end = f.offset + f.width;
  });
  return packed ? end : 0;
}
static_assert(packed_bytes(kSegmentFields) == 15, "a segment cell is 15 packed bytes");
static_assert(packed_bytes(kEntryFields) == 34, "a table slot is 34 bytes and its text");

// The place of a member in its record's table.
template <auto Member, typename Fields>
constexpr size_t field_index(const Fields& fields) {
  size_t index = 0, found = std::tuple_size_v<Fields>;
  for_each_field(fields, [&](const auto& f) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(f)>, record_field<Member>>)
      found = index;
    ++index;
  });
  return found;
}

// Where a slot's field lies when its text is `text_bytes` long.
template <typename Field>
constexpr size_t entry_offset(const Field& f, size_t text_bytes) {
  constexpr size_t text_at =
      std::get<field_index<&general_entry::text>(kEntryFields)>(kEntryFields).offset;
  return f.offset > text_at ? f.offset + text_bytes : f.offset;
}

// The segment fields as a list to walk at run time, each read as an int.
struct segment_field {
  std::string_view name;
  int (*value)(const track_segment&);
};
inline constexpr std::array<segment_field, kSegmentFieldCount> kSegmentFieldList = std::apply(
    [](const auto&... f) {
      return std::array<segment_field, kSegmentFieldCount>{
          segment_field{f.name, [](const track_segment& s) -> int {
                          return s.*std::remove_cvref_t<decltype(f)>::member;
                        }}...};
    },
    kSegmentFields);

// A segment field's row in the run-time list.
template <auto Member>
constexpr const segment_field& segment_field_of() {
  return kSegmentFieldList[field_index<Member>(kSegmentFields)];
}

// The fields a point object writes (kind, value1..value4, signal_time,
// approach_mark) come first; the rest are the properties every cell of a
// span carries whatever stands in it.
inline constexpr size_t kPointFieldCount = 7;
static_assert(field_index<&track_segment::approach_mark>(kSegmentFields) + 1 == kPointFieldCount);

// --- What the values of a segment cell mean, by its kind ---

// The name of a kind ("signal", "slowdown start", ...; "unknown" for a kind
// no recorder writes) and what value1..value4 hold in such a cell: the
// parameters of the recorder that writes it, empty when unused.
struct segment_kind_meaning {
  uint8_t kind;
  std::string_view name;
  std::array<std::string_view, 4> values;
};
inline constexpr std::array<segment_kind_meaning, 12> kSegmentKinds = {{
    {kNothing, "nothing", {}},
    {kSignal, "signal", {"s1*10+d1", "s2*10+d2", "s3*10+d3", "rapp*10+sx*3+dx"}},
    {kSlowdownEnd, "slowdown end", {"speed km/h", "d_v", "f_tt", ""}},
    {kSlowdownStart, "slowdown start", {"speed km/h", "d_v", "f_tt", ""}},
    {kSlowdownWarning, "slowdown warning", {"speed km/h", "d_v", "", ""}},
    {kSlowdownLeadIn, "slowdown lead-in", {"step", "step (d_v)", "", ""}},
    {kSpeedBoard,
     "speed board",
     {"A: vad/5+vas*20", "B: vbd/5+vbs*20", "C: vcd/5+vcs*20", "strisces*10+strisced"}},
    {kStopMark, "station stop mark", {"station slot", "", "", ""}},
    {kTunnelMarker, "tunnel marker", {}},
    {kCodePoint, "code point", {"code", "", "", ""}},
    {kCodePointWithoutValue, "code point without value", {}},
    {kSignBoard, "sign board", {"text slot", "", "", ""}},
}};

const segment_kind_meaning& segment_kind_of(uint8_t kind);
inline std::string_view segment_kind_name(uint8_t kind) { return segment_kind_of(kind).name; }
inline std::array<std::string_view, 4> segment_value_names(uint8_t kind) {
  return segment_kind_of(kind).values;
}

// --- What the fields of a table slot mean, by the slot ---

// A field of a slot named for what it holds there; `meaning` is empty for
// a number whose meaning is not known.
template <auto Member>
struct named_field {
  std::string_view meaning;

  static constexpr auto member = Member;
  static constexpr size_t index = field_index<Member>(kEntryFields);
  static auto& of(general_entry& e) { return e.*Member; }
  static const auto& of(const general_entry& e) { return e.*Member; }
};

// A field of one of the fixed slots, found in the table.
template <int Slot, auto Member>
struct fixed_slot_field : named_field<Member> {
  static auto& in(general_table_t& t) { return t[Slot].*Member; }
  static const auto& in(const general_table_t& t) { return t[Slot].*Member; }
};

// A station, slots 1 upward in the order of the train service.
namespace station_slot {
inline constexpr named_field<&general_entry::kind> type{"station type"};
inline constexpr named_field<&general_entry::value_a> extent_start{"extent start m"};
inline constexpr named_field<&general_entry::value_b> extent_end{"extent end m"};
inline constexpr named_field<&general_entry::value_c> position{"position m"};
inline constexpr named_field<&general_entry::text> name{"name"};
// The entry's time of day, hours*3600 + minutes*60 + seconds.
inline constexpr named_field<&general_entry::time_s> time_of_day{"time s"};
inline constexpr named_field<&general_entry::option_c> stop_time{"stop time s"};
// Numbers 4 to 13 of the station entry, in the entry's order; the last is
// the stop time.
inline constexpr std::tuple entry_numbers{
    named_field<&general_entry::option_a>{}, named_field<&general_entry::option_e>{},
    named_field<&general_entry::option_d>{}, named_field<&general_entry::number_a>{},
    named_field<&general_entry::number_b>{}, named_field<&general_entry::option_b>{},
    named_field<&general_entry::number_c>{}, named_field<&general_entry::number_d>{},
    named_field<&general_entry::number_e>{}, stop_time};
}  // namespace station_slot

// A kilometric progressive ("progressiva chilometrica"), slots 81 to 83.
namespace progressive_slot {
inline constexpr named_field<&general_entry::value_a> position{"position m"};
inline constexpr named_field<&general_entry::value_b> value{"value"};
inline constexpr named_field<&general_entry::value_c> flag{"flag"};
}  // namespace progressive_slot

// Slot 84: the train and the line's size.
namespace train_and_length_slot {
template <auto Member>
using field = fixed_slot_field<kSlotTrainAndLength, Member>;
inline constexpr field<&general_entry::value_a> braking_mass{"percentuale massa frenata"};
// The line length as read, without the metres added after its end.
inline constexpr field<&general_entry::value_b> route_length{"lunghezza percorso m"};
inline constexpr field<&general_entry::value_c> cars{"numero vetture"};
}  // namespace train_and_length_slot

// Slot 85: the scenery ("sfondo") and the line.
namespace scenery_and_line_slot {
template <auto Member>
using field = fixed_slot_field<kSlotSceneryAndLine, Member>;
inline constexpr field<&general_entry::value_a> scenery_one{"sfondo uno"};
inline constexpr field<&general_entry::value_b> scenery_three{"sfondo tre"};
inline constexpr field<&general_entry::value_c> scenery_two{"sfondo due"};
inline constexpr field<&general_entry::text> line_id{"line identifier"};
inline constexpr field<&general_entry::number_a> stamp{"stamp"};
inline constexpr field<&general_entry::time_s> check_code{"check code"};
}  // namespace scenery_and_line_slot

// Slot 86: the signalling and the train.
namespace signalling_and_train_slot {
template <auto Member>
using field = fixed_slot_field<kSlotSignallingAndTrain, Member>;
// Where signals are repeated in the cab ("ripetizione segnali"), and with
// how many codes (4 or 9; 0 when it ends at 0).
inline constexpr field<&general_entry::value_a> repetition_from{"ripetizione segnali from m"};
inline constexpr field<&general_entry::value_b> repetition_to{"ripetizione segnali to m"};
inline constexpr field<&general_entry::value_c> repetition_codes{"codes"};
inline constexpr field<&general_entry::text> train_code{"train code"};
inline constexpr field<&general_entry::number_a> sand{"sabbia"};
inline constexpr field<&general_entry::number_c> clock_hours{"orologio hours"};
inline constexpr field<&general_entry::number_d> clock_minutes{"orologio minutes"};
inline constexpr field<&general_entry::number_e> clock_seconds{"orologio seconds"};
}  // namespace signalling_and_train_slot

// What a slot holds ("station", "sign board text", "train and line size",
// ...), judged from its number and content, and what each of its fields
// means there, in record order: empty where the slot does not use the field,
// the field's own name where it uses it for a number of unknown meaning.
struct slot_role {
  std::string_view name;
  std::array<std::string_view, kEntryFieldCount> meanings;
};
slot_role role_of_slot(int slot, const general_entry& entry);

}  // namespace scenario

#endif  // SCENARIO_MODEL_FIELDS_H_
