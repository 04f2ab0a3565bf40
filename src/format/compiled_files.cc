#include "format/compiled_files.h"

#include <optional>

#include "model/fields.h"
#include "model/little_endian.h"

namespace scenario {
namespace {

static_assert(packed_bytes(kSegmentFields) == kSegmentCellBytes);
static_assert(packed_bytes(kEntryFields) == kGeneralEntryFixedBytes);

// One field at its place: a number little-endian, a text as the u16 count
// of its bytes and the bytes.
template <typename T>
void store_field(char* p, const T& v) {
  little_endian::store_int(p, v);
}
void store_field(char* p, const std::string& text) {
  little_endian::store_int(p, static_cast<uint16_t>(text.size()));
  text.copy(p + 2, text.size());
}

// A cell into the 15 bytes at `p`.
void store_segment(char* p, const track_segment& s) {
  for_each_field(kSegmentFields, [&](const auto& f) { store_field(p + f.offset, s.*f.member); });
}

// A slot into the bytes at `p`, as many as entry_bytes() counts.
size_t entry_bytes(const general_entry& e) { return kGeneralEntryFixedBytes + e.text.size(); }
void store_entry(char* p, const general_entry& e) {
  const size_t text_bytes = e.text.size();
  for_each_field(kEntryFields,
                 [&](const auto& f) { store_field(p + entry_offset(f, text_bytes), e.*f.member); });
}

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
  const size_t at = out.size();
  out.resize(at + entry_bytes(e));
  store_entry(out.data() + at, e);
}

std::string general_table_bytes(const general_table_t& table) {
  size_t size = 0;
  for (const general_entry& entry : table) size += entry_bytes(entry);
  std::string bytes(size, '\0');
  char* p = bytes.data();
  for (const general_entry& entry : table) {
    store_entry(p, entry);
    p += entry_bytes(entry);
  }
  return bytes;
}

void write_general_table(std::ostream& out, const general_table_t& table) {
  const std::string bytes = general_table_bytes(table);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void append_track_segment(std::string& out, const track_segment& s) {
  const size_t at = out.size();
  out.resize(at + kSegmentCellBytes);
  store_segment(out.data() + at, s);
}

std::string segments_bytes(const std::vector<track_segment>& segments) {
  std::string bytes(segments.size() * kSegmentCellBytes, '\0');
  char* p = bytes.data();
  for (const track_segment& segment : segments) {
    store_segment(p, segment);
    p += kSegmentCellBytes;
  }
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
