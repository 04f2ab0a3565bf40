#include "tool/report/further_errors.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

namespace scenario::tool {
namespace {

// A place in reading order: the line description, then the train service.
using place = std::tuple<int, int32_t, int32_t>;

place place_of(const failure_site& site) {
  return {site.text == source_kind::line_description ? 0 : 1, site.where.line, site.where.column};
}

// A diagnostic's place, known only from its file name; none without one.
std::optional<place> place_of(const diagnostic& d, const source_names& names) {
  if (!d.file || !d.line) return std::nullopt;
  return place{*d.file == names.line_description ? 0 : 1, *d.line, d.column.value_or(0)};
}

// Failures that no entry passed over can mend: a missing text or general
// section (101, 102), the track-code pass after the reading (11 to 13), a
// stamp error, or a failure with no place in the texts.  Nor does one before
// the route length sized the arrays: without it every later entry fails.
bool tied_to_an_entry(const scenario_records& records, const compilation& result) {
  const int32_t code = records.failure_code;
  if (code == 0 || result.stamp_error != 0 || !result.reading.site) return false;
  if (!records.segments_allocated()) return false;
  return code != 101 && code != 102 && (code < 11 || code > 13);
}

// Empties line `line` of `text`, its line end kept, the lines counted as
// the field reader counts them (CR LF, a lone CR or a lone LF ends one).
// False when the text has no such line or nothing on it to pass over.
bool empty_line(std::string& text, int32_t line) {
  size_t begin = 0;
  for (int32_t n = 1; n < line; ++n) {
    const size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string::npos) return false;
    begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  size_t end = text.find_first_of("\r\n", begin);
  if (end == std::string::npos) end = text.size();
  if (text.find_first_not_of(" \t", begin) >= end) return false;
  text.erase(begin, end - begin);
  return true;
}

struct search {
  const source_names& names;
  scenario_records records;
  std::string line_description;
  std::string train_service;
  place first_failure{};
  std::set<std::tuple<int, int32_t, int32_t, std::string>> warned{};
  std::set<std::pair<source_kind, int32_t>> passed_over{};

  // Passes over the entry that caused the failure of `result`; false when
  // it was passed over already or its line holds nothing to pass over.
  bool pass_over(const compilation& result, failure_site& entry) {
    entry = result.reading.cause.value_or(*result.reading.site);
    if (!passed_over.emplace(entry.text, entry.where.line).second) return false;
    std::string& text =
        entry.text == source_kind::line_description ? line_description : train_service;
    return empty_line(text, entry.where.line);
  }

  // Into fresh records, as the first run: nothing of the run before may stay.
  compilation compile_again() {
    scenario_records fresh;
    fresh.line_id = records.line_id;
    fresh.train_code = records.train_code;
    fresh.build_geometry = records.build_geometry;
    records = std::move(fresh);
    return compile_scenario(records, records.build_geometry != 0, line_description, train_service);
  }

  // The diagnostics of one later run: its failure, said to be found after
  // passing over `entry`, and the warnings the earlier runs did not give.
  void take(compilation& result, const failure_site& entry, further_errors& out) {
    // What the first run read it has told already: its warnings are not
    // made into diagnostics again (a text of many bad lines has as many,
    // and up to twenty runs give them).
    std::erase_if(result.reading.warnings, [this](const reader_warning& w) {
      return place_of(failure_site{w.text, w.where}) <= first_failure;
    });
    const compile_report report = make_report(records, result, names);
    for (const diagnostic& d : report.diagnostics) {
      if (d.code != 0) {
        out.diagnostics.push_back(further_failure(d, entry));
        continue;
      }
      const std::optional<place> at = place_of(d, names);
      if (!at || *at <= first_failure) continue;
      if (warned.emplace(std::get<0>(*at), std::get<1>(*at), std::get<2>(*at), d.id).second)
        out.diagnostics.push_back(d);
    }
  }

  diagnostic further_failure(diagnostic d, const failure_site& entry) const {
    const std::string& file =
        entry.text == source_kind::line_description ? names.line_description : names.train_service;
    d.position = records.failure_position;
    d.passed_over_file = file;
    d.passed_over_line = entry.where.line;
    d.message += " (found after passing over the entry at line " +
                 std::to_string(entry.where.line) + (d.file == file ? "" : " of " + file) + ")";
    return d;
  }
};

}  // namespace

further_errors find_further_errors(const scenario_records& first_records, const compilation& first,
                                   const source_texts& texts, const source_names& names,
                                   int32_t most_errors) {
  further_errors out;
  if (!tied_to_an_entry(first_records, first)) return out;
  search s{names, {}, std::string(texts.line_description), std::string(texts.train_service)};
  s.records.line_id = first_records.line_id;
  s.records.train_code = first_records.train_code;
  s.records.build_geometry = first_records.build_geometry;
  // What the first run did not reach lies after its failure's cause; what
  // it did reach and warned of is not said twice.
  s.first_failure = place_of(first.reading.cause.value_or(*first.reading.site));
  for (const reader_warning& w : first.reading.warnings) {
    const place at = place_of(failure_site{w.text, w.where});
    s.warned.emplace(std::get<0>(at), std::get<1>(at), std::get<2>(at), std::string(w.id));
  }
  const compilation* last = &first;
  compilation result;
  for (int32_t errors = 1; tied_to_an_entry(errors == 1 ? first_records : s.records, *last);
       ++errors) {
    if (errors >= most_errors) {
      out.error_limit = most_errors;
      break;
    }
    failure_site entry;
    if (!s.pass_over(*last, entry)) break;
    result = s.compile_again();
    // The entry passed over was the route length or a section line: what
    // follows would only be the failures of a text without it.
    const int32_t code = s.records.failure_code;
    if (!s.records.segments_allocated() || code == 101 || code == 102) break;
    s.take(result, entry, out);
    last = &result;
  }
  return out;
}

void add_further_errors(compile_report& report, further_errors further, const source_names& names) {
  for (diagnostic& d : further.diagnostics) report.diagnostics.push_back(std::move(d));
  report.error_limit = further.error_limit;
  sort_by_place(report, names);
}

}  // namespace scenario::tool
