// What the two source-text readers share besides the field rules: the
// outcome of a reading, checked stores into fields, and the small text tests
// of keyword fields.
#ifndef SCENARIO_READING_READING_H_
#define SCENARIO_READING_READING_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/segment_access.h"
#include "reading/field_reader.h"

namespace scenario {

enum class source_kind { line_description, train_service };

// Where the failure the readers recorded was found.
struct failure_site {
  source_kind text = source_kind::line_description;
  text_position where;
  bool operator==(const failure_site&) const = default;
};

// Something the reading passes over or changes without failing: the records
// stay exactly as the reading makes them, the author is told where and why.
struct reader_warning {
  source_kind text = source_kind::line_description;
  text_position where;
  std::string_view id;  // one of warning_id
  std::string message;
};

// Which mark an entry left on a segment.
enum class mark_role : uint8_t {
  none,
  signal,
  speed_board,
  sign_board,
  abbattimento,  // a track-code point ("abbattimento", the keyword that places it)
  slowdown_warning,
  slowdown_start,
  slowdown_end,
  slowdown_lead_in,
  stop_mark,
  station,  // a station's approach marks
};

// Who put a mark on a segment, so that a later entry refused there, or a
// track-code failure there, can name it.  Kept small: the words are made
// only when a message needs them.
struct placed_mark {
  mark_role role = mark_role::none;
  source_kind text = source_kind::line_description;
  text_position where;
  int32_t position = 0;  // the entry's position in metres
  int32_t number = 0;    // a station's number, a sign board's table slot
};

// The marks by segment index.
class mark_registry {
 public:
  const placed_mark* find(int64_t index) const {
    return index >= 0 && static_cast<size_t>(index) < marks_.size() &&
                   marks_[static_cast<size_t>(index)].role != mark_role::none
               ? &marks_[static_cast<size_t>(index)]
               : nullptr;
  }
  void place(int64_t index, const placed_mark& mark) {
    if (index < 0) return;
    if (static_cast<size_t>(index) >= marks_.size()) marks_.resize(static_cast<size_t>(index) + 1);
    marks_[static_cast<size_t>(index)] = mark;
  }

 private:
  std::vector<placed_mark> marks_;
};

// "the signal at 13050 m", "the stop mark of station 3 (SAN ROCCO, 13100 m)":
// names and texts come from the general table.
std::string describe(const placed_mark& mark, const general_table_t& table);

// What a reading leaves besides the records: which source texts the reader
// used up (the caller deletes them) and where a recorded failure stands.
struct reading_outcome {
  bool delete_line_description = false;
  bool delete_train_service = false;
  std::optional<failure_site> site;
  // The entry that caused the failure when it is not the one at `site`: a
  // failure 15 of the line description still in force ends the reading at
  // the first signal or slowdown, but comes from the line description's entry.
  std::optional<failure_site> cause;
  // The failure's own words: the cause of a run-time failure 25, what holds
  // the segment of a refused entry.  Empty when the code's meaning says all.
  std::string detail;
  std::vector<reader_warning> warnings;
  // The entries that hold the segments (by index), and those whose approach
  // marks stand on them.
  mark_registry marks;
  mark_registry approach_marks;

  // The kilometric progressive entries as read, so that the field of a
  // misaligned one can be pointed at when the train service reader finally
  // checks them.
  struct progressive_source {
    text_position position_at;
    int32_t position = 0;
    int32_t value = 0;
    int32_t flag = 0;
    text_position value_at;
  };
  std::vector<progressive_source> progressive_sources;
};

// A recorder's refusal of an entry on a taken cell: the failure it recorded
// and the cell that held something already, so that the reader can name
// what holds it.
struct taken_cell {
  int32_t failure = 0;
  int64_t cell = 0;
};

// The next keyword field of an entry loop: one field, with at most two
// dash (comment) fields before it passed over.  Nothing when the text ends
// on a field, which is then never examined.
std::optional<std::string> next_keyword_field(field_reader& fields);

// Keyword tests look for a substring anywhere in the field.
bool contains(std::string_view field, std::string_view what);
bool contains_ignoring_case(std::string_view field, std::string_view what);

// A field as a message quotes it: in double quotes, cut to a sensible
// length, its Windows-1252 characters in UTF-8, control bytes (and the
// bytes the code page leaves undefined) shown as \xNN so that a text cannot
// play tricks on the terminal that shows the message.
std::string quoted(std::string_view field);

// Stores a value into a field of the given width: it must fit, else the
// reading fails at the entry being read.
template <typename T>
T checked(const field_reader& reader, int64_t v) {
  if (v < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
      v > static_cast<int64_t>(std::numeric_limits<T>::max()))
    reader.fail("value " + std::to_string(v) + " does not fit its field");
  return static_cast<T>(v);
}

// A text of the general table is stored with a 16-bit byte count: a longer
// one would shift every later slot of the table file.
inline std::string checked_text(const field_reader& reader, std::string text) {
  if (text.size() > 0xFFFF)
    reader.fail("a text of " + std::to_string(text.size()) + " bytes is longer than 65535");
  return text;
}

// The low 8 or 16 bits of a value, for fields that keep only those.
inline uint8_t low8(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFF); }
inline int16_t low16(int64_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFF));
}

}  // namespace scenario

#endif  // SCENARIO_READING_READING_H_
