#include "format/compiled_files.h"

#include <optional>

#include "model/little_endian.h"

namespace scenario {
namespace {

void put_u8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

void put_u16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void put_i16(std::string& out, int16_t v) { put_u16(out, static_cast<uint16_t>(v)); }

void put_u32(std::string& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void put_i32(std::string& out, int32_t v) { put_u32(out, static_cast<uint32_t>(v)); }

// Bytes of a route plan cell with its tag.
size_t cell_bytes(cell_tag tag) {
  return tag == cell_tag::integer ? 4 : tag == cell_tag::real ? 10 : 2;
}

char* store_cell(char* p, cell_tag tag, double value) {
  p = little_endian::store_u16(p, static_cast<uint16_t>(tag));
  if (tag == cell_tag::integer)
    p = little_endian::store_u16(p, static_cast<uint16_t>(static_cast<int16_t>(value)));
  else if (tag == cell_tag::real)
    p = little_endian::store_f64(p, value);
  return p;
}

// A plan out of the usual shape, cell by cell: its size is counted first,
// so that the cells are stored straight into one buffer of that size
// without a capacity test per byte.
std::string encode_cell_by_cell(const route_plan& plan) {
  size_t size = 0;
  for (int column = 0; column < 2; ++column)
    for (int32_t metre = 0; metre <= plan.last(); ++metre)
      size += cell_bytes(plan.tag(metre, column));
  std::string bytes(size, '\0');
  char* p = bytes.data();
  for (int column = 0; column < 2; ++column)
    for (int32_t metre = 0; metre <= plan.last(); ++metre)
      p = store_cell(p, plan.tag(metre, column), plan.value(metre, column));
  return bytes;
}

}  // namespace

std::string_view line_geometry_file(const route_plan& plan, std::string& encoded) {
  if (const std::optional<std::string_view> bytes = plan.file_bytes()) return *bytes;
  encoded = encode_cell_by_cell(plan);
  return encoded;
}

std::string line_geometry_bytes(const route_plan& plan) {
  std::string encoded;
  return std::string(line_geometry_file(plan, encoded));
}

void write_line_geometry(std::ostream& out, const route_plan& plan) {
  std::string encoded;
  const std::string_view bytes = line_geometry_file(plan, encoded);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void append_general_entry(std::string& out, const general_entry& e) {
  put_u8(out, e.kind);
  put_i32(out, e.value_a);
  put_i32(out, e.value_b);
  put_i32(out, e.value_c);
  put_u8(out, e.option_a);
  put_u16(out, static_cast<uint16_t>(e.text.size()));
  out += e.text;
  put_i16(out, e.number_a);
  put_i16(out, e.number_b);
  put_i16(out, e.number_c);
  put_i16(out, e.number_d);
  put_i16(out, e.number_e);
  put_u8(out, e.option_b);
  put_u8(out, e.option_c);
  put_u8(out, e.option_d);
  put_u8(out, e.option_e);
  put_i32(out, e.time_s);
}

std::string general_table_bytes(const general_table_t& table) {
  size_t size = 0;
  for (const general_entry& entry : table) size += kGeneralEntryFixedBytes + entry.text.size();
  std::string bytes;
  bytes.reserve(size);
  for (const general_entry& entry : table) append_general_entry(bytes, entry);
  return bytes;
}

void write_general_table(std::ostream& out, const general_table_t& table) {
  const std::string bytes = general_table_bytes(table);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void append_track_segment(std::string& out, const track_segment& s) {
  put_u8(out, s.kind);
  put_i16(out, s.value1);
  put_i16(out, s.value2);
  put_i16(out, s.value3);
  put_i16(out, s.value4);
  put_u8(out, s.signal_time);
  put_u8(out, s.approach_mark);
  put_u8(out, s.tunnel_type);
  put_u8(out, s.speed_limit);
  put_u8(out, s.gradient);
  put_u8(out, s.adhesion);
}

std::string segments_bytes(const std::vector<track_segment>& segments) {
  std::string bytes;
  bytes.reserve(segments.size() * kSegmentCellBytes);
  for (const track_segment& segment : segments) append_track_segment(bytes, segment);
  return bytes;
}

void write_segments(std::ostream& out, const std::vector<track_segment>& segments) {
  const std::string bytes = segments_bytes(segments);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

compiled_bytes compiled_files_bytes(const scenario_records& r) {
  return {r.build_geometry != 0 ? line_geometry_bytes(r.track_geometry) : std::string(),
          general_table_bytes(r.general_table), segments_bytes(r.segments)};
}

}  // namespace scenario
