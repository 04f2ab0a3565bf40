// A text whose "[generale]" line is missing is read no further than the
// search for it: every entry in it is lost.  What the author is told then:
// what the text held, and the line that looks like a misspelt "[generale]".
#ifndef SCENARIO_READING_GENERAL_SECTION_H_
#define SCENARIO_READING_GENERAL_SECTION_H_

#include <span>
#include <string>
#include <string_view>

namespace scenario {

// A kind of entry counted by a word its keyword contains ("stazione"), with
// its names for one and for several.
struct counted_kind {
  std::string_view word;
  std::string_view one;
  std::string_view many;
};

// "14 stations, 21 signals and 3 other entries are not read", counting the
// lines by their first field (comments and section lines aside); "nothing
// in it is read" for a text without entries.  When a line's first field is
// a likely misspelling of "[generale]", the sentence ends with where it is
// and what it should be.
std::string missing_general_section(std::string_view text, std::span<const counted_kind> kinds);

}  // namespace scenario

#endif  // SCENARIO_READING_GENERAL_SECTION_H_
