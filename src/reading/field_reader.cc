#include "reading/field_reader.h"

#include "system/windows_1252.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

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
    ++pos_;
    while (!at_end() && text_[pos_] != '"') {
      const size_t from = pos_;
      advance();
      value += text_.substr(from, pos_ - from);
    }
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
  skip_blanks();
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
    if (c < '0' || c > '9') fail("\"" + readable(raw) + "\" is not a whole number");
    if (value < kHuge) value = value * 10 + (c - '0');
  }
  if (value > kHuge) value = kHuge;
  return negative ? -value : value;
}

}  // namespace scenario
