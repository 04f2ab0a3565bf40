#include "system/windows_1252.h"

#include <array>
#include <optional>

namespace scenario {
namespace {

// Code points of bytes 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte of a code point, or -1 when the code page has none.
int byte_of(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

// The code points of well-formed UTF-8 (no overlong form, no surrogate, no
// truncated sequence); none when the text is not.
std::optional<std::vector<uint32_t>> utf8_code_points(std::string_view s) {
  std::vector<uint32_t> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const size_t n = b0 < 0x80   ? 1
                     : b0 < 0xC2 ? 0
                     : b0 < 0xE0 ? 2
                     : b0 < 0xF0 ? 3
                     : b0 < 0xF5 ? 4
                                 : 0;
    if (n == 0 || i + n > s.size()) return std::nullopt;
    uint32_t cp = n == 1 ? b0 : b0 & (0x7Fu >> n);
    for (size_t k = 1; k < n; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (b & 0x3Fu);
    }
    const uint32_t least = n == 1 ? 0 : n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return std::nullopt;
    out.push_back(cp);
    i += n;
  }
  return out;
}

}  // namespace

uint32_t windows_1252_code_point(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

void append_utf8(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string readable(std::string_view windows_1252) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(windows_1252.size());
  for (char c : windows_1252) {
    const auto byte = static_cast<unsigned char>(c);
    const uint32_t cp = windows_1252_code_point(byte);
    if (cp < 0x20 || cp == 0x7F || cp == 0) {
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    } else {
      append_utf8(cp, out);
    }
  }
  return out;
}

std::string windows_1252_of_text(std::string_view text,
                                 std::vector<unencodable_character>& missing) {
  const std::optional<std::vector<uint32_t>> code_points = utf8_code_points(text);
  if (!code_points) return std::string(text);
  std::string out;
  out.reserve(code_points->size());
  for (size_t i = 0; i < code_points->size(); ++i) {
    const uint32_t cp = (*code_points)[i];
    if (i == 0 && cp == 0xFEFF) continue;  // a byte-order mark is no character of the text
    const int byte = byte_of(cp);
    if (byte < 0) missing.push_back({out.size(), cp});
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return out;
}

}  // namespace scenario
