// The framing of the editor's messages: a header ("Content-Length: N",
// other fields passed over), an empty line, N bytes of JSON.  The framer
// takes bytes as they come and hands out whole bodies, or says what was
// wrong with a frame and goes on with the next: a broken frame must never
// stop the server.
#ifndef SCENARIO_TOOL_LSP_MESSAGE_FRAMING_H_
#define SCENARIO_TOOL_LSP_MESSAGE_FRAMING_H_

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace scenario::tool::lsp {

// A body larger than this is refused (and its bytes passed over): no
// source text comes near it.
inline constexpr std::size_t kLargestBody = std::size_t{256} << 20;
// A header line longer than this is no header.
inline constexpr std::size_t kLongestHeaderLine = 8192;

struct frame {
  std::string body;
  // Empty for a good frame, else what was wrong (the body is then empty).
  std::string fault;
};

class message_framer {
 public:
  explicit message_framer(std::size_t largest_body = kLargestBody) : largest_(largest_body) {}

  void feed(std::string_view bytes);
  // The frames complete so far, oldest first.
  bool has_frame() const { return !frames_.empty(); }
  frame take_frame();

  // How many bytes the framer can take without reading past the frame it is
  // in: a reader that blocks until it has them never waits for bytes of a
  // message the editor has not sent.
  std::size_t wanted() const;

 private:
  void header_byte(char c);
  void end_of_header_line();
  void end_of_header();

  enum class state { header, body, skipping } state_ = state::header;
  std::size_t largest_;
  std::string line_;
  bool line_too_long_ = false;
  bool in_header_ = false;  // a header line has come since the last frame
  std::string fault_;       // of the header being read
  long long length_ = -1;
  std::size_t remaining_ = 0;
  std::string body_;
  std::deque<frame> frames_;
};

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_MESSAGE_FRAMING_H_
