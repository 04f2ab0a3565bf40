#include "reading/entry_watch.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "reading/warning_ids.h"

namespace scenario {
namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Letters to insert, delete or replace to turn one word into the other;
// `bound` when it is `bound` or more, found as soon as a row of the table
// shows it (every unknown entry of a long text is weighed against each
// keyword, and only a nearer one than the best so far matters).
size_t edit_distance(std::string_view a, std::string_view b, size_t bound) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) >= bound) return bound;
  constexpr size_t kShort = 64;
  std::array<size_t, kShort> small_row{};
  std::vector<size_t> long_row;
  if (b.size() >= kShort) long_row.resize(b.size() + 1);
  const std::span<size_t> row = b.size() >= kShort
                                    ? std::span<size_t>(long_row)
                                    : std::span<size_t>(small_row).first(b.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    size_t least = row[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t replace = diagonal + (fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, replace});
      diagonal = above;
      least = std::min(least, row[j]);
    }
    // No later row holds less than this one's least.
    if (least >= bound) return bound;
  }
  return std::min(row[b.size()], bound);
}

}  // namespace

bool is_comment_field(std::string_view field) { return contains(field, "-"); }

bool is_section_field(std::string_view field) {
  return contains(field, "[") && contains(field, "]");
}

std::string_view closest_word(std::string_view word, std::span<const std::string_view> candidates) {
  std::string_view best;
  size_t best_distance = 0;
  // No word further than this from `word` is ever suggested, so distances
  // past it need not be known exactly: were the nearest one past it, there
  // would be no suggestion at all.
  const size_t farthest = std::max<size_t>(1, word.size() / 4);
  for (std::string_view c : candidates) {
    const size_t bound = best.empty() ? farthest + 1 : std::min(best_distance, farthest + 1);
    const size_t d = edit_distance(word, c, bound);
    if (best.empty() || d < best_distance) best = c, best_distance = d;
  }
  // One slip in a short word, about one in four in a longer one.
  const size_t allowed = std::max<size_t>(1, std::min(word.size(), best.size()) / 4);
  return best_distance > 0 && best_distance <= allowed ? best : std::string_view();
}

// Words for a keyword field that holds more than an entry's keyword: `;` or
// tabs where commas belong, or a note that lost its dash.
std::string entry_watch::field_hint(bool read_as_entry) const {
  if (field_.find_first_of(";\t") != std::string::npos)
    return "; fields are separated by commas, not by \";\" or tabs";
  // A keyword's own words come first; a note's words lead up to the keyword.
  auto first_word = [](std::string_view text) { return text.substr(0, text.find(' ')); };
  if (!read_as_entry || field_.find(' ') == std::string::npos) return {};
  for (std::string_view keyword : words_.keywords)
    if (edit_distance(first_word(field_), first_word(keyword), 2) <= 1) return {};
  return "; it reads like a note written without its dash: a note holds a dash (\"- note\"), "
         "else a keyword in it makes it an entry";
}

void entry_watch::warn(std::string_view id, std::string message) {
  sink_.push_back({text_, start_, id, std::move(message)});
}

void entry_watch::keyword(const field_reader& fields, std::string_view field) {
  field_ = field;
  start_ = fields.field_start();
  starts_line_ = fields.field_starts_line();
}

void entry_watch::unknown_entry(std::string_view hint) {
  std::string message = quoted(field_) + " is not an entry of " + std::string(words_.name);
  if (!hint.empty()) {
    message += ": " + std::string(hint);
  } else if (std::string_view near = closest_word(field_, words_.keywords); !near.empty()) {
    message += " (did you mean \"" + std::string(near) + "\"?)";
  }
  warn(warning_id::kUnknownEntry, message + "; the line is passed over" + field_hint(false));
}

void entry_watch::examined(const field_reader& fields, field_fate fate, std::string_view hint) {
  const int32_t line = start_.line;
  if (fate == field_fate::ignored) {
    quiet_line_ = line;
    return;
  }
  if (fate == field_fate::taken) {
    const int32_t last = fields.field_start().line;
    const bool section = is_section_field(field_);
    if (section) {
      std::string message = quoted(field_) +
                            " holds an entry keyword, so it is read as that entry and takes the "
                            "values after it; it looks like a misspelt section line";
      if (std::string_view near = closest_word(field_, words_.sections); !near.empty())
        message += " (did you mean \"" + std::string(near) + "\"?)";
      warn(warning_id::kMisspeltSection, message);
    } else if (last > line) {
      warn(warning_id::kValuesFromNextLine,
           quoted(field_) + " is short of values on its own line: it took the fields of line " +
               std::to_string(last) + " as its values, and what stood there is lost" +
               field_hint(true));
    }
    if (section || last > line) {
      quiet_line_ = last;
    } else {
      entry_line_ = line;
    }
    return;
  }
  if (is_comment_field(field_) || is_section_field(field_)) return;
  if (starts_line_) {
    unknown_entry(hint);
    quiet_line_ = line;
  } else if (line == entry_line_ && line != quiet_line_ && line != extra_line_) {
    warn(warning_id::kExtraValues,
         "values left on the line after its entry has read all it takes, starting with " +
             quoted(field_) + "; they are passed over");
    extra_line_ = line;
  }
}

}  // namespace scenario
