// What the programs print is read on terminals.  Text from outside (a file
// name, an identifier, a field of a source text) goes into a message
// shortened, and every byte a terminal would act on is shown as an escape
// instead: an input can neither forge a line of its own nor send a
// terminal its control sequences.
#ifndef SCENARIO_APP_MESSAGE_TEXT_H_
#define SCENARIO_APP_MESSAGE_TEXT_H_

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace scenario {

inline constexpr std::size_t kQuotedBytes = 200;
inline constexpr std::size_t kShownPathBytes = 1024;

// Text from outside as a message quotes it: on one line, every byte that is
// not printable escaped (a line end too, so that no input can start a line
// of its own), and at most `max` of its bytes: a longer text keeps its start
// and its end and says how many bytes of its middle it leaves out.
std::string shortened(std::string_view text, std::size_t max = kQuotedBytes);

// A path as messages show it, likewise.
std::string shown(const std::filesystem::path& path);

// The longest start of `text` of at most `max` bytes that does not end
// inside a character of UTF-8: text cut there stays UTF-8 (a byte that is
// not part of a well-formed character counts as one of its own).
std::string_view whole_characters(std::string_view text, std::size_t max);

// Whether every byte of `text` belongs to a well-formed UTF-8 character.
bool is_well_formed_utf8(std::string_view text);

// Turns bytes into text safe for a terminal, byte by byte as they come:
// printable ASCII, line ends and well-formed UTF-8 pass; control bytes
// (0x00-0x1F but the line end, 0x7F), the C1 controls in UTF-8 and bytes
// that are not well-formed UTF-8 become \xHH.
class printable_encoder {
 public:
  explicit printable_encoder(bool keep_line_ends = true, bool keep_colours = false)
      : keep_line_ends_(keep_line_ends), keep_colours_(keep_colours) {}
  void put(unsigned char byte, std::string& out);
  // The same for every byte of `bytes`, printable ASCII passed on in runs.
  void put_all(std::string_view bytes, std::string& out);
  // What is left of a character cut short.
  void finish(std::string& out);

 private:
  void flush_pending(std::string& out);
  bool put_colour(unsigned char byte, std::string& out);
  bool keep_line_ends_;
  // Colour and weight settings (ESC [ digits and semicolons m) may pass
  // whole: they change how text looks and nothing else.
  bool keep_colours_;
  std::string colour_;
  unsigned char pending_[4] = {};
  std::size_t count_ = 0;
  std::size_t length_ = 0;
};

std::string printable(std::string_view bytes);

// A stream buffer that writes everything through a printable_encoder into
// another buffer.
class printable_buffer : public std::streambuf {
 public:
  explicit printable_buffer(std::streambuf* target, bool keep_colours = false)
      : target_(target), encoder_(true, keep_colours) {}
  ~printable_buffer() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf* target_;
  printable_encoder encoder_;
  std::string escaped_;  // kept between writes, so that small ones allocate nothing
};

// An output stream onto another whose bytes go through printable_encoder.
class printable_stream : public std::ostream {
 public:
  explicit printable_stream(std::ostream& target, bool keep_colours = false)
      : std::ostream(nullptr), buffer_(target.rdbuf(), keep_colours) {
    rdbuf(&buffer_);
  }

 private:
  printable_buffer buffer_;
};

}  // namespace scenario

#endif  // SCENARIO_APP_MESSAGE_TEXT_H_
