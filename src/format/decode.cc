#include "format/decode.h"

#include <bit>

#include "format/compiled_files.h"

namespace scenario {
namespace {

// A cursor over the bytes that refuses to read past their end.
class byte_reader {
 public:
  explicit byte_reader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  bool at_end() const { return pos_ == bytes_.size(); }
  size_t left() const { return bytes_.size() - pos_; }

  uint64_t unsigned_le(size_t size, const char* what) {
    if (left() < size)
      throw decode_error(pos_, std::string("truncated: ") + what + " needs " +
                                   std::to_string(size) + " bytes, " + std::to_string(left()) +
                                   " left");
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i)
      v |= static_cast<uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += size;
    return v;
  }
  uint8_t u8(const char* what) { return static_cast<uint8_t>(unsigned_le(1, what)); }
  uint16_t u16(const char* what) { return static_cast<uint16_t>(unsigned_le(2, what)); }
  int16_t i16(const char* what) { return static_cast<int16_t>(u16(what)); }
  int32_t i32(const char* what) { return static_cast<int32_t>(unsigned_le(4, what)); }
  double f64(const char* what) { return std::bit_cast<double>(unsigned_le(8, what)); }

  std::string text(size_t size, const char* what) {
    if (left() < size)
      throw decode_error(pos_, std::string("truncated: ") + what + " of " + std::to_string(size) +
                                   " bytes, " + std::to_string(left()) + " left");
    std::string s(bytes_.substr(pos_, size));
    pos_ += size;
    return s;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// One tagged cell of the route plan; `plan` may be null to only walk it.
void read_cell(byte_reader& in, route_plan* plan, int32_t metre, int column) {
  const size_t at = in.offset();
  const uint16_t tag = in.u16("a cell tag");
  switch (tag) {
    case static_cast<uint16_t>(cell_tag::empty):
      return;
    case static_cast<uint16_t>(cell_tag::integer): {
      const int16_t v = in.i16("an integer cell");
      if (plan) plan->set_integer(metre, column, v);
      return;
    }
    case static_cast<uint16_t>(cell_tag::real): {
      const double v = in.f64("a real cell");
      if (plan) plan->set_real(metre, column, v);
      return;
    }
    default:
      throw decode_error(at, "unknown cell tag " + std::to_string(tag) +
                                 " (a route plan cell is tagged 0, 2 or 5)");
  }
}

general_entry read_entry(byte_reader& in) {
  general_entry e;
  e.kind = in.u8("kind");
  e.value_a = in.i32("value_a");
  e.value_b = in.i32("value_b");
  e.value_c = in.i32("value_c");
  e.option_a = in.u8("option_a");
  e.text = in.text(in.u16("the text's byte count"), "the text");
  e.number_a = in.i16("number_a");
  e.number_b = in.i16("number_b");
  e.number_c = in.i16("number_c");
  e.number_d = in.i16("number_d");
  e.number_e = in.i16("number_e");
  e.option_b = in.u8("option_b");
  e.option_c = in.u8("option_c");
  e.option_d = in.u8("option_d");
  e.option_e = in.u8("option_e");
  e.time_s = in.i32("time_s");
  return e;
}

track_segment read_segment(byte_reader& in) {
  track_segment s;
  s.kind = in.u8("kind");
  s.value1 = in.i16("value1");
  s.value2 = in.i16("value2");
  s.value3 = in.i16("value3");
  s.value4 = in.i16("value4");
  s.signal_time = in.u8("signal_time");
  s.approach_mark = in.u8("approach_mark");
  s.tunnel_type = in.u8("tunnel_type");
  s.speed_limit = in.u8("speed_limit");
  s.gradient = in.u8("gradient");
  s.adhesion = in.u8("adhesion");
  return s;
}

// Refuses a file larger than the compilation ever writes before any work.
void refuse_oversized(std::string_view bytes, file_kind kind) {
  const size_t most = most_bytes(kind);
  if (bytes.size() > most)
    throw decode_error(most, std::to_string(bytes.size()) + " bytes, more than the " +
                                 std::to_string(most) + " of the largest " +
                                 std::string(kind_word(kind)) + " file the compilation writes");
}

}  // namespace

decode_error::decode_error(size_t offset, const std::string& what)
    : std::runtime_error("at byte " + std::to_string(offset) + ": " + what), offset_(offset) {}

route_plan decode_line_geometry(std::string_view bytes) {
  refuse_oversized(bytes, file_kind::geometry);
  // The file has no count: the cells are walked once to learn how many
  // metres each column holds, then read into a plan of that size.
  byte_reader walk(bytes);
  size_t cells = 0;
  while (!walk.at_end()) {
    read_cell(walk, nullptr, 0, 0);
    ++cells;
  }
  if (cells < 2 || cells % 2 != 0)
    throw decode_error(bytes.size(), std::to_string(cells) +
                                         " cells: a route plan holds two columns of equal length");
  const size_t metres = cells / 2;
  if (metres > kMostRoutePlanMetres)
    throw decode_error(0, std::to_string(metres) + " metres, more than the " +
                              std::to_string(kMostRoutePlanMetres) +
                              " of the longest route plan the compilation draws");
  route_plan plan(static_cast<int32_t>(metres - 1));
  byte_reader in(bytes);
  for (int column = 0; column < 2; ++column)
    for (int32_t m = 0; m <= plan.last(); ++m) read_cell(in, &plan, m, column);
  return plan;
}

general_table_t decode_general_table(std::string_view bytes) {
  refuse_oversized(bytes, file_kind::table);
  general_table_t table;
  byte_reader in(bytes);
  for (general_entry& entry : table) entry = read_entry(in);
  if (!in.at_end())
    throw decode_error(in.offset(),
                       std::to_string(in.left()) + " bytes after the last of the 87 table slots");
  return table;
}

std::vector<track_segment> decode_segments(std::string_view bytes) {
  refuse_oversized(bytes, file_kind::segments);
  if (bytes.empty()) throw decode_error(0, "empty: a segment file holds at least one cell");
  if (bytes.size() % kSegmentCellBytes != 0)
    throw decode_error(bytes.size() - bytes.size() % kSegmentCellBytes,
                       "truncated: " + std::to_string(bytes.size()) +
                           " bytes is not a whole number of 15-byte cells");
  std::vector<track_segment> cells;
  cells.reserve(bytes.size() / kSegmentCellBytes);
  byte_reader in(bytes);
  while (!in.at_end()) cells.push_back(read_segment(in));
  return cells;
}

bool kind_from_word(std::string_view word, file_kind& kind) {
  for (file_kind k : {file_kind::geometry, file_kind::table, file_kind::segments}) {
    if (word == kind_word(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

size_t most_bytes(file_kind kind) {
  switch (kind) {
    case file_kind::geometry:
      return kMostGeometryBytes;
    case file_kind::table:
      return kMostTableBytes;
    case file_kind::segments:
      return kMostSegmentBytes;
  }
  return kMostSegmentBytes;
}

std::string_view kind_word(file_kind kind) {
  switch (kind) {
    case file_kind::geometry:
      return "geometry";
    case file_kind::table:
      return "table";
    case file_kind::segments:
      return "segments";
  }
  return "segments";
}

}  // namespace scenario
