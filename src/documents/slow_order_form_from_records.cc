#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "builtin/text_lines.h"
#include "documents/documents_from_scenario.h"
#include "documents/kilometric_points.h"
#include "documents/slow_order_form_parts.h"
#include "reading/reading.h"
#include "reading/warning_ids.h"

namespace scenario {
namespace {

using namespace slow_order_form_parts;

constexpr cell_place kStationsColumn{"the slowdown's place", "the slow order form's station column",
                                     document_source::train_service};
constexpr cell_place kFormCell{"value", "a column of the slow order form"};

// Where a slowdown lies: in the station whose extent holds its start, else
// between the stations either side of it (the line's ends standing in for
// a station missing on one side).
struct slowdown_place {
  std::string first;
  std::optional<std::string> second;
};

slowdown_place where_of(const slowdown_fact& s, const std::vector<station_fact>& stations) {
  for (const station_fact& st : stations)
    if (st.extent_start <= s.start && s.start <= st.extent_end) return {st.name, std::nullopt};
  const station_fact* before = nullptr;
  const station_fact* after = nullptr;
  for (const station_fact& st : stations) {
    if (st.position <= s.start) before = &st;
    if (st.position > s.start && after == nullptr) after = &st;
  }
  if (before == nullptr && after == nullptr) return {};
  return {before ? before->name : "inizio linea", after ? after->name : "fine linea"};
}

// The room of the station column: its 28 bytes less the blank either side.
constexpr size_t kStationsRoom = 26;

// The station column's text starts five blanks in, as on the printed form,
// or nearer the rule when it would not fit so.  Of two names too long for
// the column together, the first gives way, so that the driver still reads
// where the slowdown ends.
std::string stations_cell(const slowdown_place& place, std::vector<document_warning>& w) {
  std::string text = place.first;
  if (place.second) {
    const std::string tail = " - " + single_line(*place.second);
    if (text.size() + tail.size() > kStationsRoom && tail.size() < kStationsRoom) {
      std::vector<document_warning> cut;
      std::string first = left_cell(text, kStationsRoom - tail.size() + 1, 0, kStationsColumn, cut);
      first.erase(first.find_last_not_of(' ') + 1);
      w.push_back({warning_id::kNameCut,
                   std::string(kStationsColumn.column) + " holds " + std::to_string(kStationsRoom) +
                       " characters: station name " + quoted(text) + " before " +
                       quoted(*place.second) + " is cut to " + quoted(first),
                   kStationsColumn.source,
                   {}});
      text = first;
    }
    text += tail;
  }
  const size_t indent =
      std::clamp<size_t>(text.size() < kStationsRoom ? kStationsRoom - text.size() : 1, 1, 5);
  return left_cell(text, kStationsRoom + 2, indent, kStationsColumn, w);
}

std::string slowdown_row(const scenario_records& r, const scenario_facts& f, size_t n,
                         std::vector<document_warning>& w) {
  const slowdown_fact& s = f.slowdowns[n];
  return " |" + centred_cell(std::to_string(n + 1), 3, kFormCell, w) + "|" +
         stations_cell(where_of(s, f.stations), w) + "|" +
         centred_cell(kilometres_text(kilometric_metres(r.general_table, s.start)), 12, kFormCell,
                      w) +
         "|" + centred_cell(std::to_string(s.speed), 10, kFormCell, w) + "|" +
         centred_cell(std::to_string(s.end - s.start), 9, kFormCell, w) + "|" +
         centred_cell("-", 12, kFormCell, w) + "|";
}

}  // namespace

std::string slow_order_form_from_records(const scenario_records& records,
                                         const scenario_facts& facts, const document_texts& texts,
                                         std::vector<document_warning>& warnings) {
  std::vector<std::string> lines(kTitle.begin(), kTitle.end());
  lines.push_back("  Linea  " + texts.line_name);
  lines.emplace_back("");
  lines.push_back("  Si ordina al macchinista del treno " + texts.train_code +
                  " di effettuare i seguenti rallentamenti");
  lines.insert(lines.end(), kTableHead.begin(), kTableHead.end());
  lines.emplace_back(kBlankRow);
  const size_t rows = std::max(kFormRows, facts.slowdowns.size());
  for (size_t n = 0; n < rows; ++n) {
    if (n < facts.slowdowns.size())
      lines.push_back(slowdown_row(records, facts, n, warnings));
    else if (n == 0)
      lines.push_back(" |   |" + stations_cell({"Nessun rallentamento", std::nullopt}, warnings) +
                      "|            |          |         |            |");
    else
      lines.emplace_back(kBlankRow);
  }
  lines.emplace_back(kTableEnd);
  lines.insert(lines.end(), kKey.begin(), kKey.end());
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  return join_crlf(views);
}

}  // namespace scenario
