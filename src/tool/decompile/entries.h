// The entries of the two source texts as the decompiler recovers them from
// the compiled files, and the writers that turn them into texts a person
// could have written: the usual sections in the usual order, one entry per
// line, columns aligned.
#ifndef SCENARIO_TOOL_DECOMPILE_ENTRIES_H_
#define SCENARIO_TOOL_DECOMPILE_ENTRIES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "service/signals_and_slowdowns.h"

namespace scenario::tool::recovery {

// The first line of every recovered text.
inline constexpr std::string_view kRecoveredNote =
    "- recovered from compiled files by scenario-tool decompile";

struct progressive_entry {
  int64_t position = 0;
  int64_t value = 0;
  int64_t flag = 0;
};

struct curve_entry {
  bool left = false;
  int curve_class = 1;  // 1..6
  int64_t start = 0;
  int64_t length = 0;
};

// A step of a profile (gradient, speed limit, adhesion): the value holds
// from `position` on.
struct profile_entry {
  int64_t position = 0;
  int64_t value = 0;
};

struct tunnel_entry {
  int64_t start = 0;
  int64_t end = 0;
  int64_t type = 0;
  // Why an entry that is no tunnel of its own stands in the text.
  std::string note;
};

// vas, vbs, vcs, strisces, vad, vbd, vcd, strisced, as on the text line.
struct speed_board_entry {
  int64_t position = 0;
  std::array<int64_t, 8> values{};
};

struct sign_board_entry {
  int64_t position = 0;
  std::string text;
};

struct line_entries {
  int64_t length = 0;
  progressive_entry uno, due, tre;
  int64_t scenery_uno = 0, scenery_due = 0, scenery_tre = 0;
  int64_t repetition_start = 0, repetition_end = 0;
  int repetition_codes = 4;  // 4 or 9
  std::vector<curve_entry> curves;
  std::vector<profile_entry> gradients;
  std::vector<tunnel_entry> tunnels;
  std::vector<speed_board_entry> speed_boards;
  std::vector<sign_board_entry> sign_boards;
};

struct station_entry {
  int64_t position = 0;
  int64_t type = 0;
  int64_t length = 0;
  // Numbers 4 to 13 of the entry, held as station_slot::entry_numbers
  // lists them; the last is the stop time.
  std::array<int64_t, 10> options{};
  int64_t hours = 0, minutes = 0, seconds = 0;
  std::string name;
};

// A slowdown's and a signal's values, as the train service reader takes them.
using slowdown_entry = slowdown_values;
using signal_entry = signal_values;

struct abbattimento_entry {
  int64_t position = 0;
  int64_t value = 0;
};

using service_entry = std::variant<station_entry, slowdown_entry, signal_entry, abbattimento_entry>;

struct service_entries {
  int64_t cars = 0, braking = 0, sand = 0;
  int64_t clock_hours = 0, clock_minutes = 0, clock_seconds = 0;
  std::vector<profile_entry> adhesion;
  std::vector<profile_entry> speeds;
  // Stations, slowdowns, signals and abbattimento marks in the order they
  // must be read: the order decides which approach mark wins a cell.
  std::vector<service_entry> entries;
};

// A field the readers return as exactly `text`: the text itself when
// nothing in it needs protection, else the text in double quotes.  Nothing
// when no field can (a text that needs quotes and holds a quote itself).
std::optional<std::string> text_field(std::string_view text);

// The nearest field for a text no field can carry: quoted, without its quotes.
std::string nearest_text_field(std::string_view text);

// One entry line: its keyword field and its values.  A text value (a
// station's name, a board's text) is always the last one and is not padded.
struct entry_row {
  std::string keyword;
  std::vector<std::string> fields;
  bool ends_in_text = false;
};

// A run of entry lines of one kind with their values in columns, as the
// recovered texts have them: "keyword,  v1,  v2", each value right-aligned
// to the widest of its column.  The lines come without line ends.
std::vector<std::string> aligned_rows(const std::vector<entry_row>& rows);

std::string write_line_description(const line_entries& entries);
std::string write_train_service(const service_entries& entries);

}  // namespace scenario::tool::recovery

#endif  // SCENARIO_TOOL_DECOMPILE_ENTRIES_H_
