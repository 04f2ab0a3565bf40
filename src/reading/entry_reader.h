// What the line description reader and the train service reader do alike
// around their entries: the search for the general section, the loop over
// keyword fields, the hand-over of a keyword to every handler it names, the
// acceptance of an entry's position, and the end of the reading on a failure.
// Each reader derives from it and adds its own entries.
#ifndef SCENARIO_READING_ENTRY_READER_H_
#define SCENARIO_READING_ENTRY_READER_H_

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "model/records.h"
#include "model/segment_access.h"
#include "reading/entry_notes.h"
#include "reading/entry_watch.h"
#include "reading/field_reader.h"
#include "reading/general_section.h"
#include "reading/reading.h"

namespace scenario {

// What an entry tells the entry loop.
enum class entry_flow {
  next,  // go on with the next keyword field
  end,   // stop reading as if the text had ended (failure 15)
  quit,  // the whole reading ends here
};

// An entry is accepted when its first value leaves this much of the line
// after it.
inline constexpr int64_t kEntryReach = 100;

// One handler of a reader's entries: called when its keyword test matched.
template <typename Reader>
struct entry_handler {
  bool matches = false;
  entry_flow (Reader::*read)(const std::string& keyword) = nullptr;
};

class entry_reader {
 protected:
  entry_reader(source_kind text, std::string_view source, scenario_records& records,
               reading_outcome& outcome)
      : fields_(source),
        r_(records),
        outcome_(outcome),
        notes_(text, outcome),
        text_(text),
        source_(source) {}

  // Reads fields up to the one holding "[generale]" (in any case); false when
  // the text ends first.  Everything before it is the author's own.
  bool find_general_section();

  // What a text without "[generale]" loses, counted by `kinds`; said at the
  // top of the text, where the line belongs.
  std::string missing_general_section(std::span<const counted_kind> kinds) const;
  static constexpr text_position kTextStart{1, 1};

  // Examines keyword fields until the text ends or an entry stops the loop:
  // `examine(field)` reads the entry, `hint(field)` says why a field nothing
  // took is not read where it stands.  False when an entry quit the reading.
  template <typename Examine, typename Hint>
  bool read_entries(entry_watch& watch, Hint hint, Examine examine);

  // Every handler whose keyword test matched reads its own entry, in order,
  // until one stops the loop.  An entry reaching outside the arrays ends the
  // reading with failure 30: at its first value when it reaches before the
  // start of the line, at the value that sets its far end when past the end.
  template <typename Reader>
  entry_flow dispatch(Reader& reader, const std::string& keyword,
                      std::initializer_list<entry_handler<Reader>> handlers);

  // Runs a whole reading: a run-time failure becomes a reading failure at
  // the field last read.
  template <typename Read>
  auto reporting_failures(Read read);

  // The bound test on an entry's first value, read from the field at
  // `first_at` (it must leave `reach` metres of the line after it, else
  // failure 15 ends the reading as if the text ended there), then the refusal
  // of positions before the start of the line.  Both stand at that field.
  entry_flow accept(int32_t first_value, text_position first_at, int64_t reach = kEntryReach);

  // The field whose value sets how far the entry reaches along the line (a
  // tunnel's end, a curve's, slowdown's or station's length): an entry that
  // runs past the end of the arrays is that field's fault.  Until it is
  // named, the first value's.
  void reaches_with(text_position field) { entry_end_at_ = field; }

  // Ends the reading with `code`, the text used up.
  entry_flow quit(int32_t code, std::optional<int32_t> position = std::nullopt);
  // The same for a failure whose cause is one field, which the diagnostic
  // then points at instead of the entry's keyword.
  entry_flow quit_at(text_position field, int32_t code,
                     std::optional<int32_t> position = std::nullopt);

  // The same for an entry refused because `cell` is taken: the detail says
  // what holds it, "`entry` at P m: [`part`: ]segment I already holds ...".
  entry_flow refuse(int32_t code, int32_t position, std::string_view entry, int64_t cell,
                    std::string_view part = {});

  // A general entry read: taken, and a later one of the same name wins.
  void given(std::string_view entry);

  // The entry being read is where the recorded failure stands.
  void note_site() { outcome_.site = failure_site{text_, entry_start_}; }

  // Moves what the field reader found about the fields themselves (a quote
  // that runs over line ends, a number split by a blank) into the warnings.
  void tell_field_slips();

  field_reader fields_;
  scenario_records& r_;
  reading_outcome& outcome_;
  entry_notes notes_;
  text_position entry_start_;              // of the entry being read
  field_fate fate_ = field_fate::unknown;  // of the keyword field being examined
  int32_t entry_value_ = 0;                // first value of the entry being read
  text_position entry_value_at_;           // and its field
  text_position entry_end_at_;             // the field that sets its far end

 private:
  source_kind text_;
  std::string_view source_;
};

template <typename Examine, typename Hint>
bool entry_reader::read_entries(entry_watch& watch, Hint hint, Examine examine) {
  while (const std::optional<std::string> field = next_keyword_field(fields_)) {
    entry_start_ = fields_.field_start();
    const entry_flow next = watch_examination(
        watch, fields_, *field, fate_, [&] { return hint(*field); },
        [&] { return examine(*field); });
    if (next == entry_flow::quit) return false;
    if (next == entry_flow::end) break;
  }
  return true;
}

template <typename Reader>
entry_flow entry_reader::dispatch(Reader& reader, const std::string& keyword,
                                  std::initializer_list<entry_handler<Reader>> handlers) {
  // An entry that reaches outside before its first value is accepted has
  // no value of its own to blame: its keyword stands for it.
  entry_value_at_ = entry_end_at_ = entry_start_;
  try {
    for (const entry_handler<Reader>& handler : handlers) {
      if (!handler.matches) continue;
      fate_ = field_fate::taken;
      if (entry_flow next = (reader.*handler.read)(keyword); next != entry_flow::next) return next;
    }
    return entry_flow::next;
  } catch (const outside_array& outside) {
    outcome_.detail = outside_line(keyword, entry_value_, outside, r_);
    return quit_at(outside.index < 0 ? entry_value_at_ : entry_end_at_, 30, entry_value_);
  }
}

template <typename Read>
auto entry_reader::reporting_failures(Read read) {
  // The field reader's own findings are told however the reading ends; not
  // from a destructor, as telling them takes memory, which may be what ran
  // out.
  try {
    if constexpr (std::is_void_v<decltype(read())>) {
      read();
      tell_field_slips();
    } else {
      auto result = read();
      tell_field_slips();
      return result;
    }
  } catch (const run_time_failure& failure) {
    tell_field_slips();
    throw reading_failure{fields_.field_start(), failure.what};
  } catch (...) {
    tell_field_slips();
    throw;
  }
}

}  // namespace scenario

#endif  // SCENARIO_READING_ENTRY_READER_H_
