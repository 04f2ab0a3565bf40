#include "system/terminal_text.h"

#include <new>
#include <utility>

namespace scenario {
namespace {

void escape(unsigned char byte, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0x0F]);
}

// Bytes of the UTF-8 sequence that `lead` starts; 0 when it starts none.
std::size_t sequence_length(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Whether `byte` may follow `lead` as its second byte: overlong forms,
// surrogates and code points past U+10FFFF are not well-formed.
bool fits_second(unsigned char lead, unsigned char byte) {
  unsigned char lo = 0x80, hi = 0xBF;
  if (lead == 0xE0) lo = 0xA0;
  if (lead == 0xED) hi = 0x9F;
  if (lead == 0xF0) lo = 0x90;
  if (lead == 0xF4) hi = 0x8F;
  return byte >= lo && byte <= hi;
}

// Whether `byte` can only continue a character.
bool continues(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The bytes of the well-formed character at the start of `text`; 0 when
// none starts there.
std::size_t character_at(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.empty()) return 0;
  if (byte(0) < 0x80) return 1;
  const std::size_t length = sequence_length(byte(0));
  if (length == 0 || text.size() < length || !fits_second(byte(0), byte(1))) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!continues(byte(i))) return 0;
  return length;
}

// Where the character that holds byte `at` starts, when it is well formed
// and starts before `at`; else `at`.
std::size_t start_of_character(std::string_view text, std::size_t at) {
  if (at >= text.size() || !continues(static_cast<unsigned char>(text[at]))) return at;
  for (std::size_t back = 1; back <= 3 && back <= at; ++back)
    if (character_at(text.substr(at - back)) > back) return at - back;
  return at;
}

}  // namespace

std::string_view whole_characters(std::string_view text, std::size_t max) {
  if (text.size() <= max) return text;
  return text.substr(0, start_of_character(text, max));
}

bool is_well_formed_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = character_at(text.substr(at));
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string shortened(std::string_view text, std::size_t max) {
  printable_encoder one_line(false);
  std::string out;
  auto put = [&](std::string_view part) {
    for (char c : part) one_line.put(static_cast<unsigned char>(c), out);
    one_line.finish(out);
  };
  if (text.size() <= max) {
    put(text);
    return out;
  }
  // Cut between whole characters: the bytes of a character cut in two would
  // show as escapes.
  const std::string_view head = whole_characters(text, max * 2 / 3);
  std::size_t tail_start = text.size() - (max - max * 2 / 3);
  const std::size_t cut = start_of_character(text, tail_start);
  if (cut < tail_start) tail_start = cut + character_at(text.substr(cut));
  put(head);
  out += "[" + std::to_string(tail_start - head.size()) + " bytes left out]";
  put(text.substr(tail_start));
  return out;
}

std::string shown(const std::filesystem::path& path) {
  return shortened(path.string(), kShownPathBytes);
}

bool printable_encoder::put_colour(unsigned char byte, std::string& out) {
  if (colour_.empty()) {
    if (byte != 0x1B) return false;
    colour_.push_back(static_cast<char>(byte));
    return true;
  }
  const bool fits = colour_.size() == 1 ? byte == '[' : (byte >= '0' && byte <= '9') || byte == ';';
  if (fits && colour_.size() < 16) {
    colour_.push_back(static_cast<char>(byte));
    return true;
  }
  const std::string held = std::exchange(colour_, std::string());
  if (byte == 'm' && held.size() >= 2) {
    out += held;
    out.push_back('m');
    return true;
  }
  // Not a colour setting: the escape byte shows as such, the rest as text.
  escape(0x1B, out);
  out.append(held, 1, std::string::npos);
  return false;
}

void printable_encoder::put(unsigned char byte, std::string& out) {
  if (keep_colours_ && count_ == 0 && put_colour(byte, out)) return;
  if (count_ > 0) {
    const bool fits = count_ == 1 ? fits_second(pending_[0], byte) : byte >= 0x80 && byte <= 0xBF;
    if (!fits) {
      flush_pending(out);
      put(byte, out);
      return;
    }
    pending_[count_++] = byte;
    if (count_ < length_) return;
    // U+0080 to U+009F are the C1 controls, CSI among them.
    const bool c1 = pending_[0] == 0xC2 && pending_[1] <= 0x9F;
    if (c1) {
      flush_pending(out);
    } else {
      out.append(reinterpret_cast<const char*>(pending_), count_);
      count_ = 0;
    }
    return;
  }
  if (byte < 0x80) {
    if ((byte >= 0x20 && byte != 0x7F) || (byte == '\n' && keep_line_ends_))
      out.push_back(static_cast<char>(byte));
    else
      escape(byte, out);
    return;
  }
  length_ = sequence_length(byte);
  if (length_ == 0) {
    escape(byte, out);
    return;
  }
  pending_[0] = byte;
  count_ = 1;
}

void printable_encoder::put_all(std::string_view bytes, std::string& out) {
  auto plain = [this](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x20 && b < 0x7F) || (b == '\n' && keep_line_ends_);
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Between characters and colour settings, a run of plain bytes passes
    // as it is: a report of some hundred megabytes is mostly such runs.
    if (count_ == 0 && colour_.empty()) {
      const std::size_t from = i;
      while (i < bytes.size() && plain(bytes[i])) ++i;
      out.append(bytes.data() + from, i - from);
      if (i == bytes.size()) break;
    }
    put(static_cast<unsigned char>(bytes[i++]), out);
  }
}

void printable_encoder::finish(std::string& out) {
  flush_pending(out);
  const std::string held = std::exchange(colour_, std::string());
  if (!held.empty()) {
    escape(0x1B, out);
    out.append(held, 1, std::string::npos);
  }
}

void printable_encoder::flush_pending(std::string& out) {
  for (std::size_t i = 0; i < count_; ++i) escape(pending_[i], out);
  count_ = 0;
}

std::string printable(std::string_view bytes) {
  printable_encoder encoder;
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) encoder.put(static_cast<unsigned char>(c), out);
  encoder.finish(out);
  return out;
}

printable_buffer::~printable_buffer() {
  // What is left is a few bytes of a character or a colour setting cut
  // short; if even they find no memory, they are dropped: a destructor
  // that threw would end the program.
  try {
    std::string rest;
    encoder_.finish(rest);
    target_->sputn(rest.data(), static_cast<std::streamsize>(rest.size()));
  } catch (const std::bad_alloc&) {
  }
}

printable_buffer::int_type printable_buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize printable_buffer::xsputn(const char* s, std::streamsize n) {
  escaped_.clear();
  encoder_.put_all(std::string_view(s, static_cast<std::size_t>(n)), escaped_);
  const auto size = static_cast<std::streamsize>(escaped_.size());
  return target_->sputn(escaped_.data(), size) == size ? n : 0;
}

int printable_buffer::sync() { return target_->pubsync(); }

}  // namespace scenario
