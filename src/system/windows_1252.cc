#include "system/windows_1252.h"

#include <array>

namespace scenario {
namespace {

// Code points of bytes 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

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

}  // namespace scenario
