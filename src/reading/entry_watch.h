// What an entry loop passes over without a word: a line whose first field is
// no entry, values left on a line after its entry has read what it takes, an
// entry that ran on into the next line for its values, a section line that
// holds an entry keyword and is read as an entry.  The watch looks at every
// keyword field a loop examines and tells the author; it never changes what
// the loop reads.
#ifndef SCENARIO_READING_ENTRY_WATCH_H_
#define SCENARIO_READING_ENTRY_WATCH_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reading/field_reader.h"
#include "reading/reading.h"

namespace scenario {

// The words of one source text, for the messages and their suggestions.
struct text_vocabulary {
  std::string_view name;                       // "the line description"
  std::span<const std::string_view> keywords;  // entries as the writer spells them
  std::span<const std::string_view> sections;  // "[curve]", ...
};

// What became of a keyword field the loop examined.
enum class field_fate {
  taken,    // an entry read it, and its values after it
  ignored,  // an entry the reader knows and deliberately passes over
  unknown,  // nothing read it
};

class entry_watch {
 public:
  entry_watch(source_kind text, const text_vocabulary& words, std::vector<reader_warning>& sink)
      : text_(text), words_(words), sink_(sink) {}

  // A keyword field the loop is about to examine.
  void keyword(const field_reader& fields, std::string_view field);

  // The same field once examined.  `hint` tells why a keyword the reader
  // knows is not read where it stands.
  void examined(const field_reader& fields, field_fate fate, std::string_view hint = {});

 private:
  void warn(std::string_view id, std::string message);
  void unknown_entry(std::string_view hint);
  std::string field_hint(bool read_as_entry) const;

  source_kind text_;
  text_vocabulary words_;
  std::vector<reader_warning>& sink_;
  std::string field_;
  text_position start_;
  bool starts_line_ = false;
  int32_t entry_line_ = 0;  // leftovers on this line are an entry's extra values
  int32_t quiet_line_ = 0;  // leftovers on this line are already accounted for
  int32_t extra_line_ = 0;  // extra values already reported on this line
};

// Runs `examine` on a keyword field and tells `watch` what became of the
// field (`fate`, which the examination sets), whether it ends in a failure or
// not: the warning may be what explains the failure.
// `hint` gives the hint for a field nothing took; it is asked only then.
template <typename Examine, typename Hint>
auto watch_examination(entry_watch& watch, const field_reader& fields, std::string_view field,
                       field_fate& fate, Hint hint, Examine examine) {
  watch.keyword(fields, field);
  fate = field_fate::unknown;
  try {
    auto result = examine();
    watch.examined(fields, fate, fate == field_fate::unknown ? hint() : std::string_view());
    return result;
  } catch (...) {
    watch.examined(fields, fate);
    throw;
  }
}

// The closest of `candidates` to `word` (letter case ignored) when it is
// close enough to be a likely misspelling; empty otherwise.
std::string_view closest_word(std::string_view word, std::span<const std::string_view> candidates);

// A field the entry loops pass over as a comment (it holds a dash) or a
// section line (it holds brackets).
bool is_comment_field(std::string_view field);
bool is_section_field(std::string_view field);

}  // namespace scenario

#endif  // SCENARIO_READING_ENTRY_WATCH_H_
