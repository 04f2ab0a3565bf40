#include "tool/report/json_writer.h"

#include <charconv>

namespace scenario::tool {
namespace {

constexpr size_t kFlushAt = 1 << 16;
constexpr char kHex[] = "0123456789abcdef";

void append_u_escape(uint32_t unit, std::string& out) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

void append_ascii(unsigned char c, bool ascii, std::string& out) {
  switch (c) {
    case '\b':
      out += "\\b";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\r':
      out += "\\r";
      return;
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    default:
      if (c <= 0x1F || (ascii && c == 0x7F))
        append_u_escape(c, out);
      else
        out += static_cast<char>(c);
  }
}

// The bytes that follow a lead byte, and the range its first continuation
// byte must lie in (which rules out overlong forms, surrogates and code
// points past U+10FFFF); 0 for a byte that leads nothing.
struct utf8_lead {
  int follow = 0;
  unsigned char low = 0x80, high = 0xBF;
};

utf8_lead lead_of(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {2};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {3};
  if (b == 0xF4) return {3, 0x80, 0x8F};
  return {};
}

void append_code_point(uint32_t cp, std::string_view bytes, bool ascii, std::string& out) {
  if (!ascii) {
    out += bytes;
  } else if (cp <= 0xFFFF) {
    append_u_escape(cp, out);
  } else {
    append_u_escape(0xD7C0 + (cp >> 10), out);
    append_u_escape(0xDC00 + (cp & 0x3FF), out);
  }
}

}  // namespace

void append_json_string(std::string_view text, bool ascii, std::string& out) {
  const char* const replacement = ascii ? "\\ufffd" : "\xEF\xBF\xBD";
  out += '"';
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      append_ascii(b, ascii, out);
      ++i;
      continue;
    }
    const utf8_lead lead = lead_of(b);
    uint32_t cp = b & (0x7F >> (lead.follow + 1));
    size_t next = i + 1;
    bool whole = lead.follow > 0;
    for (int k = 0; whole && k < lead.follow; ++k) {
      const bool inside = next < text.size();
      const auto c = inside ? static_cast<unsigned char>(text[next]) : 0;
      whole = inside && c >= (k == 0 ? lead.low : 0x80) && c <= (k == 0 ? lead.high : 0xBF);
      if (whole) {
        cp = (cp << 6) | (c & 0x3F);
        ++next;
      }
    }
    if (!whole) {
      // The run up to the byte that broke it becomes one U+FFFD; that byte
      // is read again, as it may begin a character of its own.
      out += replacement;
      i = next;
      continue;
    }
    append_code_point(cp, text.substr(i, next - i), ascii, out);
    i = next;
  }
  out += '"';
}

json_writer::json_writer(std::ostream& out, int indent, bool ascii)
    : out_(out), indent_(indent), ascii_(ascii) {}

void json_writer::new_line(size_t depth) {
  if (indent_ < 0) return;
  held_ += '\n';
  held_.append(depth * static_cast<size_t>(indent_), ' ');
}

void json_writer::before_value() {
  if (after_key_ || levels_.empty()) {
    after_key_ = false;
    return;
  }
  level& in = levels_.back();
  if (!in.empty) held_ += ',';
  in.empty = false;
  new_line(levels_.size());
}

json_writer& json_writer::key(std::string_view name) {
  before_value();
  append_json_string(name, ascii_, held_);
  held_ += indent_ < 0 ? ":" : ": ";
  after_key_ = true;
  return *this;
}

void json_writer::begin_object() {
  before_value();
  held_ += '{';
  levels_.push_back({true, true});
}

void json_writer::begin_array() {
  before_value();
  held_ += '[';
  levels_.push_back({false, true});
}

void json_writer::end_object() {
  const level done = levels_.back();
  levels_.pop_back();
  if (!done.empty) new_line(levels_.size());
  held_ += '}';
  if (held_.size() >= kFlushAt) flush();
}

void json_writer::end_array() {
  const level done = levels_.back();
  levels_.pop_back();
  if (!done.empty) new_line(levels_.size());
  held_ += ']';
  if (held_.size() >= kFlushAt) flush();
}

void json_writer::value(std::string_view text) {
  before_value();
  append_json_string(text, ascii_, held_);
}

void json_writer::value(int64_t number) {
  before_value();
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, number);
  held_.append(digits, r.ptr);
}

void json_writer::value(bool truth) {
  before_value();
  held_ += truth ? "true" : "false";
}

void json_writer::null() {
  before_value();
  held_ += "null";
}

void json_writer::flush() {
  out_.write(held_.data(), static_cast<std::streamsize>(held_.size()));
  held_.clear();
}

}  // namespace scenario::tool
