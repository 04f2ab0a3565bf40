#include "tool/decompile/decompile.h"

#include <bit>
#include <cstdio>
#include <map>

#include "compile/compilation.h"
#include "compile/failure_messages.h"
#include "format/compiled_files.h"
#include "format/scenario_names.h"
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
  table[kSlotSceneryAndLine].number_a = 0;
  table[kSlotSceneryAndLine].time_s = 0;
}

}  // namespace recovery

namespace {

// Differences are listed up to this many a file, then counted.
constexpr size_t kShownPerFile = 20;

class difference_list {
 public:
  explicit difference_list(std::vector<std::string>& out) : out_(out) {}
  ~difference_list() {
    for (const auto& [file, count] : counts_)
      if (count > kShownPerFile)
        out_.push_back(file + ": " + std::to_string(count - kShownPerFile) +
                       " more differences like those above");
  }
  difference_list(const difference_list&) = delete;
  difference_list& operator=(const difference_list&) = delete;

  template <typename T>
  void compare(const std::string& file, const std::string& where, const char* field, const T& held,
               const T& given) {
    if (held == given) return;
    add(file, where + ": " + field + ": held " + value_text(held) + ", the texts give " +
                  value_text(given));
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
    return std::to_string(v);
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
    const std::string where = "cell " + std::to_string(i);
    d.compare(file, where, "kind", +h.kind, +g.kind);
    d.compare(file, where, "value1", h.value1, g.value1);
    d.compare(file, where, "value2", h.value2, g.value2);
    d.compare(file, where, "value3", h.value3, g.value3);
    d.compare(file, where, "value4", h.value4, g.value4);
    d.compare(file, where, "signal_time", +h.signal_time, +g.signal_time);
    d.compare(file, where, "approach_mark", +h.approach_mark, +g.approach_mark);
    d.compare(file, where, "tunnel_type", +h.tunnel_type, +g.tunnel_type);
    d.compare(file, where, "speed_limit", +h.speed_limit, +g.speed_limit);
    d.compare(file, where, "gradient", +h.gradient, +g.gradient);
    d.compare(file, where, "adhesion", +h.adhesion, +g.adhesion);
  }
}

void compare_table(difference_list& d, const std::string& file, const general_table_t& held,
                   const general_table_t& given) {
  for (size_t i = 0; i < held.size(); ++i) {
    const general_entry& h = held[i];
    const general_entry& g = given[i];
    if (h == g) continue;
    const std::string where = "slot " + std::to_string(i);
    d.compare(file, where, "kind", +h.kind, +g.kind);
    d.compare(file, where, "value_a", h.value_a, g.value_a);
    d.compare(file, where, "value_b", h.value_b, g.value_b);
    d.compare(file, where, "value_c", h.value_c, g.value_c);
    d.compare(file, where, "option_a", +h.option_a, +g.option_a);
    d.compare(file, where, "text", h.text, g.text);
    d.compare(file, where, "number_a", h.number_a, g.number_a);
    d.compare(file, where, "number_b", h.number_b, g.number_b);
    d.compare(file, where, "number_c", h.number_c, g.number_c);
    d.compare(file, where, "number_d", h.number_d, g.number_d);
    d.compare(file, where, "number_e", h.number_e, g.number_e);
    d.compare(file, where, "option_b", +h.option_b, +g.option_b);
    d.compare(file, where, "option_c", +h.option_c, +g.option_c);
    d.compare(file, where, "option_d", +h.option_d, +g.option_d);
    d.compare(file, where, "option_e", +h.option_e, +g.option_e);
    d.compare(file, where, "time_s", h.time_s, g.time_s);
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
