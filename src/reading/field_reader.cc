#include "reading/field_reader.h"

#include <algorithm>

#include "reading/warning_ids.h"
#include "system/windows_1252.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_whole_number(std::string_view field) {
  if (!field.empty() && (field[0] == '-' || field[0] == '+')) field.remove_prefix(1);
  if (field.empty()) return false;
  for (char c : field)
    if (!is_digit(c)) return false;
  return true;
}

// The lines after the first of a swallowed stretch that look like entries:
// a first field with a comma after it, neither a comment nor a section.
int count_entry_lines(std::string_view swallowed) {
  int entries = 0;
  size_t at = swallowed.find_first_of("\r\n");
  while (at != std::string_view::npos) {
    const size_t begin = swallowed.find_first_not_of(" \t\r\n", at);
    if (begin == std::string_view::npos) break;
    const size_t end = std::min(swallowed.find_first_of("\r\n", begin), swallowed.size());
    const std::string_view line = swallowed.substr(begin, end - begin);
    const size_t comma = line.find(',');
    const std::string_view first = line.substr(0, comma);
    if (comma != std::string_view::npos && comma > 0 &&
        first.find_first_of("-[") == std::string_view::npos)
      ++entries;
    at = end < swallowed.size() ? end : std::string_view::npos;
  }
  return entries;
}

std::string line_ends(int64_t n) {
  return std::to_string(n) + (n == 1 ? " line end" : " line ends");
}

// Larger than anything a field can hold, small enough to stay exact.
constexpr int64_t kHuge = int64_t{1} << 40;

}  // namespace

void field_reader::fail(std::string what) const {
  throw reading_failure{field_start_, std::move(what)};
}

bool field_reader::at_line_end() const { return !at_end() && is_line_end(text_[pos_]); }

// Moves over one byte, counting the lines a quoted field may span.
void field_reader::advance() {
  if (at_line_end()) {
    consume_line_end();
    return;
  }
  ++pos_;
}

void field_reader::consume_line_end() {
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
  line_begin_ = pos_;
  at_line_start_ = true;
}

void field_reader::skip_blanks() {
  while (!at_end() && is_blank(text_[pos_])) ++pos_;
}

void field_reader::begin_field() {
  field_start_ = here();
  if (at_end())
    fail(
        "read past the end of the text: its last entry is short of values, or the text does not "
        "end with a closing line such as \"[fine]\"");
  while (!at_end() && (is_blank(text_[pos_]) || is_line_end(text_[pos_]))) advance();
  field_start_ = here();
  field_starts_line_ = at_line_start_;
  at_line_start_ = false;
}

std::string field_reader::read_text() {
  begin_field();
  std::string value;
  if (!at_end() && text_[pos_] == '"') {
    const text_position quote = field_start_;
    const int32_t quote_line = line_;
    const size_t from = ++pos_;
    while (!at_end() && text_[pos_] != '"') {
      const size_t at = pos_;
      advance();
      value += text_.substr(at, pos_ - at);
    }
    if (line_ != quote_line) note_quote_over_lines(quote, from, !at_end());
    if (!at_end()) ++pos_;   // the closing quote
    at_line_start_ = false;  // line ends inside the quotes belong to the field
    while (!at_end() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
  } else {
    size_t begin = pos_;
    while (!at_end() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
    size_t end = pos_;
    while (end > begin && is_blank(text_[end - 1])) --end;
    value.assign(text_.substr(begin, end - begin));
  }
  if (!at_end()) {
    if (text_[pos_] == ',')
      ++pos_;
    else
      consume_line_end();
  }
  return value;
}

int64_t field_reader::read_number() {
  begin_field();
  size_t begin = pos_;
  while (!at_end() && !is_blank(text_[pos_]) && text_[pos_] != ',' && !is_line_end(text_[pos_]))
    ++pos_;
  const std::string_view raw = text_.substr(begin, pos_ - begin);
  std::string_view field = raw;
  const size_t blanks_from = pos_;
  skip_blanks();
  if (!blank_separated_ && pos_ > blanks_from && !at_end() && is_digit(text_[pos_]) &&
      is_whole_number(raw))
    note_split_number(raw, blanks_from);
  if (!at_end()) {
    if (text_[pos_] == ',')
      ++pos_;
    else if (is_line_end(text_[pos_]))
      consume_line_end();
  }

  if (field.empty()) return 0;
  bool negative = field[0] == '-';
  if (field[0] == '-' || field[0] == '+') field.remove_prefix(1);
  if (field.empty()) fail("a sign without digits is not a number");
  int64_t value = 0;
  for (char c : field) {
    if (!is_digit(c))
      fail("\"" + readable(raw) + "\" is not a whole number" +
           (raw.find(';') != std::string_view::npos
                ? "; fields are separated by commas, not by \";\""
                : ""));
    if (value < kHuge) value = value * 10 + (c - '0');
  }
  if (value > kHuge) value = kHuge;
  return negative ? -value : value;
}

// A quote that is not closed on its own line takes the line ends, and the
// entries after them, into one text field: they are never read as entries.
void field_reader::note_quote_over_lines(text_position quote, size_t from, bool closed) {
  const int32_t swallowed = line_ - quote.line;
  const int entries = count_entry_lines(text_.substr(from, pos_ - from));
  std::string message =
      "this double quote opens a text field that runs over " + line_ends(swallowed) +
      (closed ? " to its closing quote on line " + std::to_string(line_)
              : " to the end of the text, as no quote closes it") +
      ": " + std::to_string(entries) + (entries == 1 ? " entry" : " entries") +
      " there become part of this field and are not read; close the quote on its own line, "
      "or remove it";
  slips_.push_back({warning_id::kQuoteOverLines, quote, std::move(message)});
}

// "13 800": the number ends at the blank, and what follows is read as the
// next value.
void field_reader::note_split_number(std::string_view first, size_t blanks_from) {
  size_t end = pos_;
  while (end < text_.size() && !is_blank(text_[end]) && text_[end] != ',' &&
         !is_line_end(text_[end]))
    ++end;
  const std::string_view blanks = text_.substr(blanks_from, pos_ - blanks_from);
  const std::string_view second = text_.substr(pos_, end - pos_);
  std::string message =
      "\"" +
      readable(text_.substr(blanks_from - first.size(), end - (blanks_from - first.size()))) +
      "\" holds two numbers: " + std::string(first) + " is read here and " + readable(second) +
      " as the next value, for a number ends at a blank; write " + std::string(first) +
      readable(second) + " for one number (no blank as a thousands separator)";
  if (blanks.find('\t') != std::string_view::npos)
    message += ", or put a comma between two values: fields are separated by commas, not tabs";
  slips_.push_back({warning_id::kSplitNumber, field_start_, std::move(message)});
}

}  // namespace scenario
