#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "builtin/text_lines.h"
#include "documents/documents_from_scenario.h"
#include "documents/kilometric_points.h"
#include "documents/train_sheet_parts.h"

namespace scenario {
namespace {

using namespace train_sheet_parts;

constexpr cell_place kOrigin{"station name", "the train sheet's box after \"da:\"",
                             document_source::train_service};
constexpr cell_place kDestination{"station name", "the train sheet's box after \"a:\"",
                                  document_source::train_service};
constexpr cell_place kStationColumn{"station name", "the train sheet's station column",
                                    document_source::train_service};
constexpr cell_place kHeaderBox{"header value", "a box of the train sheet's header"};
constexpr cell_place kTableCell{"value", "a column of the train sheet's table"};

// One row of the table: a station, a step of the limit, or both at one place.
struct sheet_row {
  int64_t position = 0;
  std::optional<int32_t> speed;
  std::string name;
  std::string times;
};

// The times of station `k` of `n`: the departure alone at the first, the
// arrival alone at the last, "arrival - departure" where the train stops,
// the passing time where it does not; nothing where the texts give no time.
std::string station_times(const station_fact& s, size_t k, size_t n) {
  if (s.time_s == 0) return {};
  const std::string at = timetable_time(s.time_s);
  if (k == 0 || k + 1 == n || s.stop_time == 0) return std::string(4, ' ') + at;
  const std::string arrival = timetable_time(int64_t{s.time_s} - s.stop_time);
  return arrival + (arrival.back() == '+' ? "" : " ") + " - " + at;
}

std::vector<sheet_row> rows_of(const scenario_facts& f) {
  std::vector<sheet_row> rows;
  for (size_t k = 0; k < f.stations.size(); ++k)
    rows.push_back({f.stations[k].position, std::nullopt, f.stations[k].name,
                    station_times(f.stations[k], k, f.stations.size())});
  // The limit in force where the train sets off stands on the first row;
  // a step past the last station concerns no one on this train.
  const int64_t first = f.stations.empty() ? 0 : f.stations.front().position;
  const int64_t last = f.stations.empty() ? f.route_length : f.stations.back().position;
  std::optional<int32_t> at_start;
  for (const speed_step& step : f.speed_steps) {
    if (step.position <= first) {
      at_start = step.speed;
    } else if (step.position <= last) {
      auto at = std::find_if(rows.begin(), rows.end(),
                             [&](const sheet_row& r) { return r.position == step.position; });
      if (at != rows.end())
        at->speed = step.speed;
      else
        rows.push_back({step.position, step.speed, {}, {}});
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const sheet_row& a, const sheet_row& b) { return a.position < b.position; });
  if (at_start && *at_start != 0) {
    if (rows.empty() || rows.front().position != first)
      rows.insert(rows.begin(), {first, at_start, {}, {}});
    else if (!rows.front().speed)
      rows.front().speed = at_start;
  }
  return rows;
}

std::string header_box(std::string_view text, std::vector<document_warning>& warnings) {
  return centred_cell(text, 14, kHeaderBox, warnings);
}

void add_header(const scenario_facts& f, const document_texts& t, std::vector<std::string>& out,
                std::vector<document_warning>& w) {
  const std::string origin = f.stations.empty() ? "" : f.stations.front().name;
  const std::string destination = f.stations.empty() ? "" : f.stations.back().name;
  out.insert(out.end(), {"", "", std::string(kTopRule), std::string(kTitle)});
  out.push_back(" |" + left_cell("TRENO n." + t.train_number, 19, 3, kHeaderBox, w) + "|" +
                std::string(19, ' ') + "da: " + left_cell(origin, 22, 0, kOrigin, w) + "|" +
                header_box(t.speed_rank, w) + "|");
  out.push_back(" |___________________|" + std::string(20, ' ') +
                "a: " + left_cell(destination, 22, 0, kDestination, w) + "|" +
                header_box(std::to_string(f.braking_mass) + "%", w) + "|");
  out.emplace_back(kHeaderEnd);
  out.insert(out.end(), kSecondBoxesTop.begin(), kSecondBoxesTop.end());
  out.push_back(" |" + left_cell(t.classification, 19, 5, kHeaderBox, w) + "|" +
                std::string(14, ' ') + "|" + left_cell(t.blocked_mass, 19, 6, kHeaderBox, w) + "|");
  out.emplace_back(kSecondBoxesEnd);
  out.emplace_back("");
}

std::string row_line(const scenario_records& r, const sheet_row& row,
                     std::vector<document_warning>& w) {
  const int64_t km = kilometric_metres(r.general_table, row.position);
  // A step between stations is named for the kilometre post it stands at.
  const std::string name =
      row.name.empty() && row.speed ? "Cippo Km " + kilometre_post_text(km) : row.name;
  const std::string speed = row.speed ? std::to_string(*row.speed) : "";
  return " |" + left_cell(speed, 5, 1, kTableCell, w) + "|     |" +
         left_cell(kilometres_text(km), 10, 1, kTableCell, w) + "|     |" +
         left_cell(name, 28, 1, kStationColumn, w) + "|" +
         left_cell(row.times, 16, 1, kTableCell, w) + "|     |";
}

}  // namespace

std::string train_sheet_from_records(const scenario_records& records, const scenario_facts& facts,
                                     const document_texts& texts,
                                     std::vector<document_warning>& warnings) {
  std::vector<std::string> lines;
  add_header(facts, texts, lines, warnings);
  lines.insert(lines.end(), kTableHead.begin(), kTableHead.end());
  for (const sheet_row& row : rows_of(facts)) {
    lines.emplace_back(kSpacer);
    lines.push_back(row_line(records, row, warnings));
  }
  lines.emplace_back(kSpacer);
  lines.emplace_back(kTableEnd);
  lines.emplace_back("");
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  return join_crlf(views);
}

}  // namespace scenario
