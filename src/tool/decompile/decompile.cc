#include "tool/decompile/decompile.h"

#include <bit>
#include <cstdio>
#include <map>

#include "compile/compilation.h"
#include "compile/failure_messages.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
#include "model/fields.h"
#include "model/positions.h"
#include "model/rounding.h"
#include "system/terminal_text.h"
#include "tool/decompile/recovery.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool {
namespace recovery {

held_scenario::held_scenario(const scenario_records& compiled)
    : files(compiled), cells(compiled.segments), table(compiled.general_table) {
  last = static_cast<int64_t>(cells.size()) - 1;
  // The stamps and check codes come after reading: the readers left zeros.
  if (cells.size() > 1) cells[1].value1 = cells[1].value2 = 0;
  scenery_and_line_slot::stamp.in(table) = 0;
  scenery_and_line_slot::check_code.in(table) = 0;
}

}  // namespace recovery

namespace {

// Differences are listed up to this many a file, then counted.
constexpr size_t kShownPerFile = 20;

class difference_list {
 public:
  explicit difference_list(std::vector<std::string>& out) : out_(out) {}
  difference_list(const difference_list&) = delete;
  difference_list& operator=(const difference_list&) = delete;

  // Counts what was left out.  Called at the end rather than from a
  // destructor: the lines take memory, and one that runs out of it there
  // ends the program.
  void finish() {
    for (const auto& [file, count] : counts_)
      if (count > kShownPerFile)
        out_.push_back(file + ": " + std::to_string(count - kShownPerFile) +
                       " more differences like those above");
  }

  // Each field of a record that differs, by the name the table gives it.
  template <typename Fields, typename Record>
  void compare(const std::string& file, const std::string& where, const Fields& fields,
               const Record& held, const Record& given) {
    for_each_field(fields, [&](const auto& f) {
      const auto& h = held.*f.member;
      const auto& g = given.*f.member;
      if (h == g) return;
      add(file, where + ": " + std::string(f.name) + ": held " + value_text(h) +
                    ", the texts give " + value_text(g));
    });
  }
  void add(const std::string& file, const std::string& what) {
    if (++counts_[file] <= kShownPerFile) out_.push_back(file + ": " + what);
  }

 private:
  // A table text may be long and hold any byte: shortened, on one line.
  static std::string value_text(const std::string& s) {
    return "\"" + shortened(cp1252_to_utf8(s)) + "\"";
  }
  template <typename T>
  static std::string value_text(const T& v) {
    return std::to_string(+v);
  }

  std::vector<std::string>& out_;
  std::map<std::string, size_t> counts_;
};

void compare_segments(difference_list& d, const std::string& file,
                      const std::vector<track_segment>& held,
                      const std::vector<track_segment>& given) {
  if (held.size() != given.size())
    d.add(file, std::to_string(held.size()) + " cells held, the texts give " +
                    std::to_string(given.size()));
  for (size_t i = 0; i < std::min(held.size(), given.size()); ++i) {
    const track_segment& h = held[i];
    const track_segment& g = given[i];
    if (h == g) continue;
    // Named as the author placed what the file holds there.
    d.compare(file, segment_text(static_cast<int64_t>(i), h.kind != 0 ? h.kind : g.kind),
              kSegmentFields, h, g);
  }
}

void compare_table(difference_list& d, const std::string& file, const general_table_t& held,
                   const general_table_t& given) {
  for (size_t i = 0; i < held.size(); ++i) {
    const general_entry& h = held[i];
    const general_entry& g = given[i];
    if (h == g) continue;
    d.compare(file, "slot " + std::to_string(i), kEntryFields, h, g);
  }
}

std::string cell_text(const route_plan& plan, int32_t m, int column) {
  switch (plan.tag(m, column)) {
    case cell_tag::empty:
      return "empty";
    case cell_tag::integer:
      return "integer " + std::to_string(static_cast<int>(plan.value(m, column)));
    case cell_tag::real:
      break;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", plan.value(m, column));
  return text;
}

void compare_plans(difference_list& d, const std::string& file, const route_plan& held,
                   const route_plan& given) {
  if (held.allocated() != given.allocated() || held.last() != given.last()) {
    d.add(file, "metres 0 to " + std::to_string(held.last()) + " held, the texts give " +
                    (given.allocated() ? "0 to " + std::to_string(given.last()) : "none"));
  }
  if (!held.allocated() || !given.allocated()) return;
  for (int32_t m = 0; m <= std::min(held.last(), given.last()); ++m) {
    for (int column = 0; column < 2; ++column) {
      const bool same = held.tag(m, column) == given.tag(m, column) &&
                        std::bit_cast<uint64_t>(held.value(m, column)) ==
                            std::bit_cast<uint64_t>(given.value(m, column));
      if (!same)
        d.add(file, "metre " + std::to_string(m) + ": " + (column == 0 ? "x" : "y") + ": held " +
                        cell_text(held, m, column) + ", the texts give " +
                        cell_text(given, m, column));
    }
  }
}

// Compiles the texts as `compile` would and lists how the result differs.
void verify(const scenario_records& held, recovered_texts& texts) {
  scenario_records given;
  given.line_id = held.line_id;
  given.train_code = held.train_code;
  const compilation result =
      compile_scenario(given, held.build_geometry, texts.line_description, texts.train_service);
  if (given.failure_code != 0)
    texts.warnings.push_back("the recovered texts compile with failure " +
                             std::to_string(given.failure_code) + " at " +
                             std::to_string(given.failure_position) +
                             " m: " + std::string(failure_meaning(given.failure_code)));
  if (result.stamp_error != 0 || !result.compiled) {
    texts.warnings.push_back(
        result.stamp_error != 0 ? "the recovered texts stop with error " +
                                      std::to_string(result.stamp_error) + ": a stamp slot is taken"
                                : "the recovered texts give no compiled files");
    return;
  }
  difference_list d(texts.warnings);
  if (held.build_geometry != 0)
    compare_plans(d, line_geometry_file_name(held.line_id), held.track_geometry,
                  given.track_geometry);
  compare_table(d, table_file_name(held.line_id, held.train_code), held.general_table,
                given.general_table);
  compare_segments(d, segment_file_name(held.line_id, held.train_code), held.segments,
                   given.segments);
  d.finish();
}

}  // namespace

recovered_texts decompile(const scenario_records& compiled) {
  using namespace recovery;
  held_scenario held(compiled);
  const std::vector<recovered_station> stations = recover_stations(held);
  service_findings findings;
  const service_entries service = recover_service(held, stations, findings);
  const line_entries line = recover_line(held, findings);
  recovered_texts texts;
  texts.line_description = write_line_description(line);
  texts.train_service = write_train_service(service);
  verify(compiled, texts);
  texts.notes = std::move(held.notes);
  return texts;
}

}  // namespace scenario::tool
