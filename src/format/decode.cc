#include "format/decode.h"

#include <bit>

#include "format/compiled_files.h"
#include "model/fields.h"
#include "model/little_endian.h"

namespace scenario {
namespace {

// A cursor over the bytes that refuses to read past their end.
class byte_reader {
 public:
  explicit byte_reader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  bool at_end() const { return pos_ == bytes_.size(); }
  size_t left() const { return bytes_.size() - pos_; }

  uint64_t unsigned_le(size_t size, std::string_view what) {
    if (left() < size)
      throw decode_error(pos_, "truncated: " + std::string(what) + " needs " +
                                   std::to_string(size) + " bytes, " + std::to_string(left()) +
                                   " left");
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i)
      v |= static_cast<uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    pos_ += size;
    return v;
  }
  uint16_t u16(std::string_view what) { return static_cast<uint16_t>(unsigned_le(2, what)); }
  int16_t i16(std::string_view what) { return static_cast<int16_t>(u16(what)); }
  double f64(std::string_view what) { return std::bit_cast<double>(unsigned_le(8, what)); }

  // A field of a record, named in the message should the bytes end first.
  template <typename T>
  void field(T& v, std::string_view name) {
    v = static_cast<T>(unsigned_le(sizeof(T), name));
  }
  void field(std::string& text, std::string_view) {
    text = this->text(u16("the text's byte count"), "the text");
  }

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
  for_each_field(kEntryFields, [&](const auto& f) { in.field(e.*f.member, f.name); });
  return e;
}

// A cell from the 15 bytes at `p`, which the caller has counted.
track_segment load_segment(const char* p) {
  track_segment s;
  for_each_field(kSegmentFields, [&](const auto& f) {
    using type = typename std::remove_cvref_t<decltype(f)>::type;
    s.*f.member = little_endian::load_int<type>(p + f.offset);
  });
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
  std::vector<track_segment> cells(bytes.size() / kSegmentCellBytes);
  const char* p = bytes.data();
  for (track_segment& cell : cells) {
    cell = load_segment(p);
    p += kSegmentCellBytes;
  }
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
