// Fuzzes the decoding of arbitrary bytes as each kind of compiled file, as
// `scenario-tool dump` does, its listings as text and as JSON, and the data
// that `scenario-tool view` puts in its page.
//
// Input: one byte that picks the kind (geometry, table, segments), then the
// file's bytes.  Bytes that are not such a file must be refused with a
// decode_error; bytes that decode must list without failing, give JSON that
// parses, whatever doubles or texts they hold, and encode back to exactly
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "format/compiled_files.h"
#include "format/decode.h"
#include "tool/picture/view.h"
#include "tool/report/dump.h"

namespace {

using namespace scenario;
using namespace scenario::tool;

void check(bool ok) {
  if (!ok) std::abort();
}

void check_json(const std::string& text) {
  check(!text.empty());
  check(!nlohmann::json::parse(text, nullptr, false).is_discarded());
}

// Swallows a listing; only its making is under test.
class null_buffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  null_buffer sink;
  std::ostream listing(&sink);
  std::ostringstream encoded;
  try {
    switch (data[0] % 3) {
      case 0: {
        const route_plan plan = decode_line_geometry(bytes);
        list_line_geometry(listing, plan);
        check_json(line_geometry_json(plan));
        check(!encode_plan_column(plan, 0).empty() && !encode_plan_column(plan, 1).empty());
        write_line_geometry(encoded, plan);
        break;
      }
      case 1: {
        const general_table_t table = decode_general_table(bytes);
        list_general_table(listing, table);
        check_json(general_table_json(table));
        write_general_table(encoded, table);
        break;
      }
      default: {
        const std::vector<track_segment> cells = decode_segments(bytes);
        list_segments(listing, cells);
        check_json(segments_json(cells));
        plot_input view;
        view.segments = cells;
        check(view_data(view)["cell_count"] == cells.size());
        write_segments(encoded, cells);
        break;
      }
    }
  } catch (const decode_error& e) {
    check(e.offset() <= bytes.size());
    return 0;
  }
  check(listing.good());
  check(encoded.str() == bytes);
  return 0;
}
