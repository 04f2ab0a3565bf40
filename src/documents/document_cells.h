// The cells of the driver's documents: text set into a column of fixed
// width, as the boxes of the train sheet and the slow order form need it,
// and the warnings of what does not fit.
#ifndef SCENARIO_DOCUMENTS_DOCUMENT_CELLS_H_
#define SCENARIO_DOCUMENTS_DOCUMENT_CELLS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Where what a warning is about comes from: the train service text (a
// station's name), the author's notes, or neither (a value of the options).
enum class document_source { none, train_service, notes };

struct document_warning {
  std::string_view id;  // a warning id of warning_ids.h
  std::string message;  // UTF-8
  document_source source = document_source::none;
  std::optional<int32_t> line;  // from 1, in the notes
};

// What a cell holds and where, for the warning when it does not fit:
// `what` names the text ("station name"), `column` the place ("the train
// sheet's station column").
struct cell_place {
  std::string_view what;
  std::string_view column;
  document_source source = document_source::none;
};

// The text with every control byte (a line end a quoted name carried in, a
// tab) made a blank: a document's line stays one line, its frame whole.
std::string single_line(std::string_view text);

// The text in a cell of `width` bytes: `indent` blanks, the text, blanks up
// to the width.  A text longer than the room between the indent and the one
// blank kept before the cell's end is cut there, with a warning.  Control bytes become blanks, as
// in single_line.
std::string left_cell(std::string_view text, std::size_t width, std::size_t indent,
                      const cell_place& place, std::vector<document_warning>& warnings);

// The text centred in a cell of `width` bytes (the odd blank to the right),
// cut at the width with a warning when it is longer.
std::string centred_cell(std::string_view text, std::size_t width, const cell_place& place,
                         std::vector<document_warning>& warnings);

// "0.25", "1.02+": a time of day in hours and minutes, "+" for the half
// minute, as timetables write it; seconds within a half minute are dropped.
// Times past midnight count from midnight again.
std::string timetable_time(int64_t seconds);

}  // namespace scenario

#endif  // SCENARIO_DOCUMENTS_DOCUMENT_CELLS_H_
