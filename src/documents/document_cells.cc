#include "documents/document_cells.h"

#include "reading/reading.h"
#include "reading/warning_ids.h"

namespace scenario {
namespace {

std::string fitted(std::string_view text, std::size_t room, const cell_place& place,
                   std::vector<document_warning>& warnings) {
  std::string out = single_line(text);
  if (out.size() <= room) return out;
  out.resize(room);
  warnings.push_back({warning_id::kNameCut,
                      std::string(place.column) + " holds " + std::to_string(room) +
                          " characters: " + std::string(place.what) + " " + quoted(text) +
                          " is cut to " + quoted(out),
                      place.source,
                      {}});
  return out;
}

}  // namespace

std::string single_line(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

std::string left_cell(std::string_view text, std::size_t width, std::size_t indent,
                      const cell_place& place, std::vector<document_warning>& warnings) {
  std::string cell(indent, ' ');
  // One blank stays before the rule that closes the cell.
  cell += fitted(text, width - indent - 1, place, warnings);
  cell.resize(width, ' ');
  return cell;
}

std::string centred_cell(std::string_view text, std::size_t width, const cell_place& place,
                         std::vector<document_warning>& warnings) {
  const std::string shown = fitted(text, width, place, warnings);
  std::string cell((width - shown.size()) / 2, ' ');
  cell += shown;
  cell.resize(width, ' ');
  return cell;
}

std::string timetable_time(int64_t seconds) {
  constexpr int64_t kDay = 24 * 3600;
  const int64_t of_day = ((seconds % kDay) + kDay) % kDay;
  const int64_t minutes = of_day / 60 % 60;
  return std::to_string(of_day / 3600) + "." + (minutes < 10 ? "0" : "") + std::to_string(minutes) +
         (of_day % 60 >= 30 ? "+" : "");
}

}  // namespace scenario
