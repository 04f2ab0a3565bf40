// Reading of the source texts (line description, train service description)
// as a stream of comma-separated fields.  Both readers share these rules:
//
//  - a byte is a character; blanks are space and tab; a line end is CR LF, a
//    lone CR or a lone LF;
//  - blanks and line ends before a field are skipped, so an empty line is no
//    field and a comma at the end of a line makes no empty last field;
//  - a text field runs to the next comma or line end, without its trailing
//    blanks; one that begins with a double quote runs to the closing quote
//    and what follows the quote up to the next comma or line end is dropped;
//  - a number field runs to the next blank, comma or line end; then blanks
//    are skipped and one comma or one line end is consumed if it comes next;
//    it is empty (0) or an optional sign and decimal digits;
//  - the end test is true once every byte has been consumed; a read with no
//    byte left at all is a run-time failure.
#ifndef SCENARIO_READING_FIELD_READER_H_
#define SCENARIO_READING_FIELD_READER_H_

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario {

// Where a field began: line and column (in bytes) counted from 1.
struct text_position {
  int32_t line = 1;
  int32_t column = 1;
  bool operator==(const text_position&) const = default;
};

// A run-time failure while reading: a read past the end of the text, a number
// field that is not a number, a value too large for the field it goes into.
// The reader that catches it turns it into failure 25.
struct reading_failure {
  text_position where;
  std::string what;
};

// Something about a field itself that the author most likely did not mean,
// found while the field was read as the rules say: the reading goes on
// unchanged, the readers tell it.
struct field_slip {
  std::string_view id;  // one of warning_id
  text_position where;
  std::string message;
};

class field_reader {
 public:
  explicit field_reader(std::string_view text) : text_(text) {}

  // True when the reads so far have consumed the whole text.
  bool at_end() const { return pos_ >= text_.size(); }

  std::string read_text();

  // A number field, exactly; a value beyond 64 bits reads as a value that no
  // field can hold.
  int64_t read_number();

  // Number fields read into a field of the given width.
  int32_t read_i32() { return fit<int32_t>(read_number(), "32-bit"); }
  int16_t read_i16() { return fit<int16_t>(read_number(), "16-bit"); }
  uint8_t read_u8() { return fit<uint8_t>(read_number(), "8-bit"); }

  // Where the last field read began.
  text_position field_start() const { return field_start_; }
  // Whether the last field read was the first of its line.
  bool field_starts_line() const { return field_starts_line_; }
  // Where the next field will begin (after its leading blanks).
  text_position here() const { return {line_, static_cast<int32_t>(pos_ - line_begin_) + 1}; }

  [[noreturn]] void fail(std::string what) const;

  // Whether blanks between two numbers are meant as separators (the
  // "orologio" line); elsewhere a number followed by a blank and a digit is
  // a number split in two, which is noted.
  void numbers_separated_by_blanks(bool separated) { blank_separated_ = separated; }

  // What was noted about the fields read so far, handed over once.
  std::vector<field_slip> take_slips() { return std::exchange(slips_, {}); }

 private:
  template <typename T>
  T fit(int64_t v, const char* width) const;

  void begin_field();
  bool at_line_end() const;
  void consume_line_end();
  void advance();
  void skip_blanks();
  void note_quote_over_lines(text_position quote, size_t from, bool closed);
  void note_split_number(std::string_view first, size_t blanks_from);

  std::string_view text_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  size_t line_begin_ = 0;
  text_position field_start_;
  bool at_line_start_ = true;  // nothing of the current line read yet
  bool field_starts_line_ = false;
  bool blank_separated_ = false;
  std::vector<field_slip> slips_;
};

template <typename T>
T field_reader::fit(int64_t v, const char* width) const {
  if (v < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
      v > static_cast<int64_t>(std::numeric_limits<T>::max()))
    fail("value " + std::to_string(v) + " does not fit a " + width + " field");
  return static_cast<T>(v);
}

}  // namespace scenario

#endif  // SCENARIO_READING_FIELD_READER_H_
