// The forms of the entries of both source texts, for the authors' tools
// that explain a text as it is typed: the sections of each kind of text,
// the entries each section holds, and every entry's values in order with
// their unit, meaning and how the reader stores them.  The readers test
// keywords by words they contain; a tool that must know which entry a line
// holds asks `find_entry_form`, which makes the same tests.
#ifndef SCENARIO_READING_ENTRY_FORMS_H_
#define SCENARIO_READING_ENTRY_FORMS_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "reading/reading.h"

namespace scenario {

// How a value is kept once read.
enum class stored_as {
  as_read,      // kept exactly (a count, a switch, a code)
  segment,      // a position: rounded onto the segment its entry's offset gives
  length,       // metres counted from the entry's first value, not kept itself
  low8,         // kept as its low 8 bits (0 to 255): a larger value wraps
  low16,        // kept as its low 16 bits (-32768 to 32767): a larger value wraps
  gradient,     // kept as gradient + 100 in 8 bits: -100 to 155
  tunnel_type,  // above 10: the type minus 10 with markers; kept in 8 bits
  speed_step,   // kept in steps of 5 km/h, rounded to the nearest
  combined,     // combined with other values of the entry into one code
  text,         // a text to the end of the line
};

struct field_form {
  std::string_view name;
  std::string_view unit;     // "m", "km/h", "" for a plain number
  std::string_view meaning;  // one sentence
  stored_as storage = stored_as::as_read;
  int64_t offset = 0;  // for a position: what its entry adds to position / 50
};

struct entry_form {
  std::string_view keyword;  // as the writer spells it
  std::string_view section;  // where the writer puts it, "[generale]", ...
  std::string_view meaning;
  std::span<const field_form> fields;
  // Only read between "[generale]" and the next section line.
  bool general = false;
};

struct section_form {
  std::string_view name;  // with its brackets
  std::string_view meaning;
};

std::span<const entry_form> entry_forms(source_kind text);
std::span<const section_form> section_forms(source_kind text);

// The entry whose keyword test a keyword field passes, tried in the order of
// `entry_forms`; none for a field no entry of that text takes.
const entry_form* find_entry_form(source_kind text, std::string_view keyword_field);

// A field with no comma and no quote that names this entry exactly as the
// writer does: "curvas4", "ripetizione segnali 9 codici", "segnale".
bool is_written_keyword(const entry_form& form, std::string_view keyword_field);

}  // namespace scenario

#endif  // SCENARIO_READING_ENTRY_FORMS_H_
