#include "tool/report/text_encoding.h"

#include <cstdint>

#include "system/terminal_text.h"
#include "system/windows_1252.h"

namespace scenario::tool {

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const uint32_t cp = windows_1252_code_point(b);
    append_utf8(cp == 0 && b != 0 ? 0xFFFD : cp, out);
  }
  return out;
}

std::string identifier_text(std::string_view id) {
  return is_well_formed_utf8(id) ? std::string(id) : cp1252_to_utf8(id);
}

std::string xml_escape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
          out += "\xEF\xBF\xBD";  // U+FFFD
        else
          out.push_back(c);
    }
  }
  return out;
}

}  // namespace scenario::tool
