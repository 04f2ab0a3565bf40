#include "tool/lsp/message_framing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace scenario::tool::lsp {
namespace {

constexpr std::string_view kLengthField = "content-length:";

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

void message_framer::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    if (state_ == state::header) {
      header_byte(bytes.front());
      bytes.remove_prefix(1);
      continue;
    }
    const std::size_t n = std::min(bytes.size(), remaining_);
    if (state_ == state::body) body_.append(bytes.substr(0, n));
    bytes.remove_prefix(n);
    remaining_ -= n;
    if (remaining_ > 0) continue;
    if (state_ == state::body) frames_.push_back({std::move(body_), {}});
    body_.clear();
    state_ = state::header;
  }
}

frame message_framer::take_frame() {
  frame f = std::move(frames_.front());
  frames_.pop_front();
  return f;
}

std::size_t message_framer::wanted() const {
  return state_ == state::header ? 1 : std::max<std::size_t>(remaining_, 1);
}

void message_framer::header_byte(char c) {
  if (c != '\n') {
    if (line_.size() < kLongestHeaderLine)
      line_.push_back(c);
    else
      line_too_long_ = true;
    return;
  }
  end_of_header_line();
}

void message_framer::end_of_header_line() {
  std::string_view line = trimmed(line_);
  const bool too_long = std::exchange(line_too_long_, false);
  if (line.empty() && !too_long) {
    line_.clear();
    // Blank lines before any field (a body that ran short leaves its line
    // end behind) are passed over.
    if (std::exchange(in_header_, false)) end_of_header();
    return;
  }
  in_header_ = true;
  const std::string folded = lower(line);
  // What a body shorter than its stated length leaves behind runs into the
  // next header: start again at its length field.
  const std::size_t at = folded.find(kLengthField);
  if (too_long) {
    fault_ = "a header line longer than " + std::to_string(kLongestHeaderLine) + " bytes";
  } else if (at != std::string::npos) {
    const std::string_view value = trimmed(line.substr(at + kLengthField.size()));
    long long n = -1;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (at != 0) fault_.clear();
    if (ec != std::errc() || end != value.data() + value.size() || n < 0)
      fault_ = "the Content-Length \"" + std::string(value.substr(0, 40)) + "\" is not a length";
    else
      length_ = n;
  } else if (folded.find(':') == std::string::npos) {
    fault_ = "a header line without a field name";
  }
  line_.clear();
}

void message_framer::end_of_header() {
  const long long length = std::exchange(length_, -1);
  std::string fault = std::exchange(fault_, {});
  if (fault.empty() && length < 0) fault = "a message without a Content-Length";
  if (!fault.empty()) {
    frames_.push_back({{}, fault});
    return;
  }
  remaining_ = static_cast<std::size_t>(length);
  if (remaining_ > largest_) {
    frames_.push_back({{},
                       "a message of " + std::to_string(length) + " bytes, more than the " +
                           std::to_string(largest_) + " taken"});
    state_ = state::skipping;
    return;
  }
  if (remaining_ == 0) {
    frames_.push_back({});
    return;
  }
  state_ = state::body;
  body_.reserve(remaining_);
}

}  // namespace scenario::tool::lsp
