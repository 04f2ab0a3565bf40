// Fuzzes the whole compilation of a scenario from its two source texts.
//
// Input: the line description, a NUL byte, the train service description.
// Without a NUL the train service description is missing (its file does not
// exist).  Every input must end in a known numbered failure or in success;
// when the compilation gives compiled files, all three are encoded and their
// sizes checked against the records they come from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

#include "compile/compilation.h"
#include "compile/explanations.h"
#include "format/compiled_files.h"
#include "testing/fuzz_input.h"

namespace {

using namespace scenario;

void check(bool ok) {
  if (!ok) std::abort();
}

// Success, or a numbered failure the explanations catalogue knows.  The
// stamp errors have explanations too but are no failure code: a compilation
// reports them apart, in `stamp_error`.
bool known_failure(int32_t code) {
  if (code == 0) return true;
  if (code == kStampTaken || code == kCheckCodeTaken) return false;
  const explanation* e = find_explanation(code);
  return e != nullptr && e->level == severity::error;
}

// Counts the bytes written to it and keeps none: the route plan may be
// twenty megabytes.
class counting_buffer : public std::streambuf {
 public:
  size_t count() const { return count_; }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) ++count_;
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count_ += static_cast<size_t>(n);
    return n;
  }

 private:
  size_t count_ = 0;
};

size_t cell_bytes(cell_tag tag) {
  switch (tag) {
    case cell_tag::empty:
      return 2;
    case cell_tag::integer:
      return 4;
    case cell_tag::real:
      return 10;
  }
  std::abort();
}

void check_compiled_files(const scenario_records& records) {
  check(records.segment_last >= 1);
  check(records.segments.size() == static_cast<size_t>(records.segment_last) + 1);

  std::ostringstream segments;
  write_segments(segments, records.segments);
  const std::string bytes = segments.str();
  check(bytes.size() == kSegmentCellBytes * (static_cast<size_t>(records.segment_last) + 1));
  // Cell 1 carries the scenario stamp 5121.
  check(static_cast<uint8_t>(bytes[16]) == 0x01 && static_cast<uint8_t>(bytes[17]) == 0x14);

  std::ostringstream table;
  write_general_table(table, records.general_table);
  size_t expected_table = 0;
  for (const general_entry& e : records.general_table) {
    // The text's length is stored in 16 bits.
    check(e.text.size() <= 0xFFFF);
    expected_table += kGeneralEntryFixedBytes + e.text.size();
  }
  check(table.str().size() == expected_table);

  if (records.build_geometry != 0) {
    const route_plan& plan = records.track_geometry;
    check(plan.allocated() && plan.last() == records.geometry_last);
    size_t expected_plan = 0;
    for (int column = 0; column < 2; ++column)
      for (int32_t m = 0; m <= plan.last(); ++m) expected_plan += cell_bytes(plan.tag(m, column));
    counting_buffer counter;
    std::ostream out(&counter);
    write_line_geometry(out, plan);
    check(out.good() && counter.count() == expected_plan);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto [line, service] = scenario::testing::split_texts(input);

  scenario_records records;
  records.line_id = "Fuzz_Line";
  records.train_code = "F1";
  const compilation result = compile_scenario(records, 1, line, service);

  check(known_failure(records.failure_code));
  check(result.stamp_error == 0 || result.stamp_error == kStampTaken ||
        result.stamp_error == kCheckCodeTaken);
  check(!(result.compiled && result.stamp_error != 0));
  // A text that is missing is never deleted.
  check(service.has_value() || !result.reading.delete_train_service);
  if (result.compiled) check_compiled_files(records);
  return 0;
}
