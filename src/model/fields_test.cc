#include "model/fields.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <sstream>
#include <vector>

#include "builtin/line_text.h"
#include "builtin/service_text.h"
#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "format/decode.h"
#include "model/little_endian.h"
#include "model/rounding.h"

namespace scenario {
namespace {

// A value for the n-th field whose every byte differs from those of every
// other field and is not zero, so that a field written over another, left
// out or read from the wrong place shows.
template <typename T>
T distinct_value(size_t n) {
  uint64_t bits = 0;
  for (size_t i = 0; i < sizeof(T); ++i) bits |= uint64_t{0x11 + 8 * n + i} << (8 * i);
  return static_cast<T>(bits);
}

// Which member each stored byte belongs to; every byte must belong to one.
template <typename Fields>
std::vector<int> owners(const Fields& fields, size_t bytes) {
  std::vector<int> owner(bytes, -1);
  int n = 0;
  for_each_field(fields, [&](const auto& f) {
    for (size_t i = f.offset; i < f.offset + f.width; ++i) {
      EXPECT_LT(i, bytes) << f.name;
      if (i < bytes) {
        EXPECT_EQ(owner[i], -1) << f.name << " overlaps another field at byte " << i;
        owner[i] = n;
      }
    }
    ++n;
  });
  return owner;
}

TEST(FieldTableTest, SegmentFieldsTileTheCellAndReadBackAtTheirOffsets) {
  const std::vector<int> owner = owners(kSegmentFields, kSegmentCellBytes);
  for (size_t i = 0; i < owner.size(); ++i) EXPECT_NE(owner[i], -1) << "byte " << i;

  track_segment cell;
  size_t n = 0;
  for_each_field(kSegmentFields, [&](const auto& f) {
    using type = typename std::remove_cvref_t<decltype(f)>::type;
    cell.*f.member = distinct_value<type>(n++);
  });
  std::string bytes;
  append_track_segment(bytes, cell);
  ASSERT_EQ(bytes.size(), kSegmentCellBytes);
  for_each_field(kSegmentFields, [&](const auto& f) {
    using type = typename std::remove_cvref_t<decltype(f)>::type;
    EXPECT_EQ(little_endian::load_int<type>(bytes.data() + f.offset), cell.*f.member) << f.name;
  });
  // A member the table left out would come back as zero.
  EXPECT_EQ(decode_segments(bytes), std::vector<track_segment>{cell});
}

TEST(FieldTableTest, EntryFieldsTileTheSlotAndReadBackAtTheirOffsets) {
  const std::vector<int> owner = owners(kEntryFields, kGeneralEntryFixedBytes);
  for (size_t i = 0; i < owner.size(); ++i) EXPECT_NE(owner[i], -1) << "byte " << i;

  for (const std::string& text : {std::string(), std::string("Lecco"), std::string(300, 'x')}) {
    general_entry e;
    size_t n = 0;
    for_each_field(kEntryFields, [&](const auto& f) {
      using type = typename std::remove_cvref_t<decltype(f)>::type;
      if constexpr (std::is_same_v<type, std::string>)
        e.*f.member = text;
      else
        e.*f.member = distinct_value<type>(n);
      ++n;
    });
    std::string bytes;
    append_general_entry(bytes, e);
    ASSERT_EQ(bytes.size(), kGeneralEntryFixedBytes + text.size());
    for_each_field(kEntryFields, [&](const auto& f) {
      using type = typename std::remove_cvref_t<decltype(f)>::type;
      const char* at = bytes.data() + entry_offset(f, text.size());
      if constexpr (std::is_same_v<type, std::string>) {
        EXPECT_EQ(little_endian::load_int<uint16_t>(at), text.size());
        EXPECT_EQ(std::string(at + 2, text.size()), text);
      } else {
        EXPECT_EQ(little_endian::load_int<type>(at), e.*f.member) << f.name;
      }
    });
    general_table_t table{};
    table[7] = e;
    EXPECT_EQ(decode_general_table(general_table_bytes(table))[7], e) << text.size();
  }
}

TEST(FieldTableTest, EachMemberHasOneRowAndOneName) {
  std::vector<std::string_view> names;
  for_each_field(kEntryFields, [&](const auto& f) {
    EXPECT_EQ(field_index<std::remove_cvref_t<decltype(f)>::member>(kEntryFields), names.size());
    names.push_back(f.name);
  });
  for (const segment_field& f : kSegmentFieldList) names.push_back(f.name);
  for (size_t i = 0; i < names.size(); ++i)
    for (size_t j = i + 1; j < names.size(); ++j)
      if (names[i] == names[j]) {
        EXPECT_EQ(names[i], "kind") << "named twice: " << names[i];
      }
}

scenario_records built_in() {
  scenario_records r;
  r.line_id = "Milano_Lecco";
  r.train_code = "L5244";
  compile_scenario(r, 1, dati_linea(), dati_treno());
  return r;
}

// The whole numbers of the first line of `text` that holds `keyword`, after
// the keyword.
std::vector<int64_t> numbers_of(const std::string& text, std::string_view keyword) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t at = line.find(keyword);
    if (at == std::string::npos) continue;
    std::vector<int64_t> numbers;
    for (size_t i = at + keyword.size(); i < line.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(line[i]))) continue;
      int64_t v = 0;
      for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
        v = v * 10 + (line[i] - '0');
      numbers.push_back(v);
    }
    return numbers;
  }
  ADD_FAILURE() << "no line holds " << keyword;
  return {};
}

TEST(SlotAccessorTest, FixedSlotsHoldWhatTheBuiltInTextsGive) {
  const scenario_records r = built_in();
  const general_table_t& t = r.general_table;
  const std::string line = dati_linea(), service = dati_treno();
  namespace train = train_and_length_slot;
  namespace scenery = scenery_and_line_slot;
  namespace signalling = signalling_and_train_slot;
  struct read_case {
    const std::string& text;
    std::string_view keyword;
    size_t number;
    int64_t stored;
  };
  const read_case cases[] = {
      {line, "lunghezza percorso", 0, train::route_length.in(t)},
      {line, "sfondo uno", 0, scenery::scenery_one.in(t)},
      {line, "sfondo due", 0, scenery::scenery_two.in(t)},
      {line, "sfondo tre", 0, scenery::scenery_three.in(t)},
      {line, "ripetizione segnali 4 codici", 0, signalling::repetition_from.in(t)},
      {line, "ripetizione segnali 4 codici", 1, signalling::repetition_to.in(t)},
      {service, "numero vetture", 0, train::cars.in(t)},
      {service, "percentuale massa frenata", 0, train::braking_mass.in(t)},
      {service, "sabbia", 0, signalling::sand.in(t)},
      {service, "orologio", 0, signalling::clock_hours.in(t)},
      {service, "orologio", 1, signalling::clock_minutes.in(t)},
      {service, "orologio", 2, signalling::clock_seconds.in(t)},
  };
  for (const read_case& c : cases) {
    const std::vector<int64_t> numbers = numbers_of(c.text, c.keyword);
    ASSERT_LT(c.number, numbers.size()) << c.keyword;
    EXPECT_EQ(c.stored, numbers[c.number]) << c.keyword << " #" << c.number;
  }
  EXPECT_EQ(signalling::repetition_codes.in(t), 4);
  EXPECT_EQ(scenery::line_id.in(t), r.line_id);
  EXPECT_EQ(signalling::train_code.in(t), r.train_code);
  EXPECT_NE(scenery::stamp.in(t), 0);
  EXPECT_NE(scenery::check_code.in(t), 0);
}

// Each "stazione" entry: position, type, platform length, numbers 4 to 13,
// hours, minutes, seconds, name.
TEST(SlotAccessorTest, StationSlotsHoldTheirEntries) {
  const scenario_records r = built_in();
  std::istringstream lines(dati_treno());
  std::string line;
  int slot = 1;
  while (std::getline(lines, line)) {
    if (line.rfind("stazione", 0) != 0) continue;
    const std::vector<int64_t> n = numbers_of(line, "stazione");
    ASSERT_GE(n.size(), 16u) << line;
    const general_entry& e = r.general_table[static_cast<size_t>(slot)];
    EXPECT_EQ(role_of_slot(slot, e).name, "station");
    EXPECT_EQ(station_slot::position.of(e), n[0]) << line;
    EXPECT_EQ(station_slot::type.of(e), n[1]) << line;
    size_t k = 3;
    for_each_field(station_slot::entry_numbers,
                   [&](const auto& f) { EXPECT_EQ(f.of(e), n[k++]) << line << " #" << k; });
    EXPECT_EQ(station_slot::stop_time.of(e), n[12]) << line;
    EXPECT_EQ(station_slot::time_of_day.of(e), (n[13] * 60 + n[14]) * 60 + n[15]) << line;
    EXPECT_NE(line.find(station_slot::name.of(e).substr(0, 5)), std::string::npos) << line;
    // The stop mark stands in the cell before the extent's end.
    const track_segment& stop =
        r.segments[static_cast<size_t>(segment_index(station_slot::extent_end.of(e), -1))];
    EXPECT_EQ(stop.kind, kStopMark) << line;
    EXPECT_EQ(stop.value1, slot) << line;
    EXPECT_LE(station_slot::extent_start.of(e), station_slot::position.of(e)) << line;
    ++slot;
  }
  EXPECT_EQ(slot, 15);  // the fourteen stations of the built-in service
}

TEST(SlotRoleTest, MeaningsFollowTheRecordOrder) {
  general_table_t t{};
  signalling_and_train_slot::sand.in(t) = 1;
  const slot_role sand = role_of_slot(kSlotSignallingAndTrain, t[kSlotSignallingAndTrain]);
  EXPECT_EQ(sand.meanings[signalling_and_train_slot::sand.index], "sabbia");
  EXPECT_EQ(sand.meanings[field_index<&general_entry::number_b>(kEntryFields)], "");

  general_entry station;
  station.kind = 2;
  const slot_role role = role_of_slot(1, station);
  EXPECT_EQ(role.name, "station");
  // A number of unknown meaning goes by its field's name.
  EXPECT_EQ(role.meanings[field_index<&general_entry::option_a>(kEntryFields)], "option_a");
  EXPECT_EQ(role.meanings[station_slot::stop_time.index], "stop time s");

  general_entry board;
  board.text = "Lecco";
  EXPECT_EQ(role_of_slot(80, board).name, "sign board text");
  EXPECT_EQ(role_of_slot(5, general_entry{}).name, "empty");
  EXPECT_EQ(role_of_slot(0, general_entry{}).name, "unused");
}

TEST(SegmentKindTest, UnknownKindsHaveNoValueNames) {
  EXPECT_EQ(segment_kind_name(kSignBoard), "sign board");
  EXPECT_EQ(segment_value_names(kStopMark)[0], "station slot");
  EXPECT_EQ(segment_kind_name(99), "unknown");
  EXPECT_EQ(segment_value_names(99), (std::array<std::string_view, 4>{}));
}

}  // namespace
}  // namespace scenario
