// Fuzzes the field reader that both source-text readers share.
//
// Input: an optional script of reads, a NUL byte, then the text.  Without a
// NUL the whole input is the text and the reads cycle through every kind.
// Each script byte picks one read.  Every read either throws
// reading_failure or returns a field that obeys the field rules, checked here
// against the text itself: where the field began, what a text field may hold,
// what number a number field spells.  Every successful read must consume at
// least one byte, or a reader's loop over the text would never end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reading/field_reader.h"

namespace {

using scenario::field_reader;
using scenario::reading_failure;
using scenario::text_position;

void check(bool ok) {
  if (!ok) std::abort();
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// Offsets where each line begins, by the reader's line-end rule.
std::vector<size_t> line_starts(std::string_view text) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (is_line_end(text[i])) starts.push_back(i + 1);
  }
  return starts;
}

size_t offset_of(const std::vector<size_t>& starts, text_position p, size_t size) {
  check(p.line >= 1 && static_cast<size_t>(p.line) <= starts.size());
  check(p.column >= 1);
  const size_t offset = starts[static_cast<size_t>(p.line) - 1] + static_cast<size_t>(p.column) - 1;
  check(offset <= size);
  return offset;
}

bool before(text_position a, text_position b) {
  return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// The number a number field spells, or nothing when it is not a number.
std::optional<int64_t> expected_number(std::string_view text, size_t offset) {
  size_t end = offset;
  while (end < text.size() && !is_blank(text[end]) && text[end] != ',' && !is_line_end(text[end]))
    ++end;
  std::string_view field = text.substr(offset, end - offset);
  if (field.empty()) return 0;
  const bool negative = field[0] == '-';
  if (field[0] == '-' || field[0] == '+') field.remove_prefix(1);
  if (field.empty()) return std::nullopt;
  constexpr int64_t kHuge = int64_t{1} << 40;
  int64_t v = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    if (v < kHuge) v = v * 10 + (c - '0');
  }
  if (v > kHuge) v = kHuge;
  return negative ? -v : v;
}

void check_text_field(std::string_view text, size_t offset, const std::string& value) {
  if (offset < text.size() && text[offset] == '"') {
    check(value.find('"') == std::string::npos);
    check(value.size() <= text.size() - offset - 1);
    return;
  }
  check(value.find(',') == std::string::npos);
  check(value.find('\r') == std::string::npos && value.find('\n') == std::string::npos);
  check(value.empty() || (!is_blank(value.front()) && !is_blank(value.back())));
  check(text.substr(offset, value.size()) == value);
}

template <typename T>
void check_number(std::string_view text, size_t offset, int64_t read) {
  const std::optional<int64_t> want = expected_number(text, offset);
  check(want.has_value() && *want == read);
  check(read >= std::numeric_limits<T>::min() && read <= std::numeric_limits<T>::max());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view script;
  std::string_view text = input;
  if (const size_t nul = input.find('\0'); nul != std::string_view::npos) {
    script = input.substr(0, nul);
    text = input.substr(nul + 1);
  }
  const std::vector<size_t> starts = line_starts(text);

  field_reader reader(text);
  // A text of n bytes takes at most n successful reads; a few more reads past
  // the end must all fail.
  for (size_t step = 0; step <= text.size() + 2; ++step) {
    const unsigned op =
        script.empty() ? step % 5 : static_cast<uint8_t>(script[step % script.size()]) % 5;
    const text_position was = reader.here();
    const bool was_at_end = reader.at_end();
    try {
      size_t offset = 0;
      switch (op) {
        case 0: {
          const std::string value = reader.read_text();
          offset = offset_of(starts, reader.field_start(), text.size());
          check_text_field(text, offset, value);
          break;
        }
        case 1: {
          const int64_t v = reader.read_number();
          offset = offset_of(starts, reader.field_start(), text.size());
          check_number<int64_t>(text, offset, v);
          break;
        }
        case 2: {
          const int32_t v = reader.read_i32();
          check_number<int32_t>(text, offset_of(starts, reader.field_start(), text.size()), v);
          break;
        }
        case 3: {
          const int16_t v = reader.read_i16();
          check_number<int16_t>(text, offset_of(starts, reader.field_start(), text.size()), v);
          break;
        }
        default: {
          const uint8_t v = reader.read_u8();
          check_number<uint8_t>(text, offset_of(starts, reader.field_start(), text.size()), v);
          break;
        }
      }
      // A read with nothing left must fail, and a read that succeeds moves on.
      check(!was_at_end);
      check(reader.at_end() || before(was, reader.here()));
      check(!before(reader.field_start(), was));
    } catch (const reading_failure& failure) {
      offset_of(starts, failure.where, text.size());
      check(!failure.what.empty());
      // Past the end every read fails the same way; stop there.
      if (was_at_end) break;
      // A number that did not parse leaves the reader after the field.
      check(reader.at_end() || before(was, reader.here()));
    }
  }
  // Every byte is consumed within the loop's bound of reads.
  check(reader.at_end());
  return 0;
}
