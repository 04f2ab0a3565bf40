#include "tool/lsp/document_text.h"

#include <algorithm>
#include <array>
#include <utility>

#include "system/windows_1252.h"

namespace scenario::tool::lsp {
namespace {

// The code point a byte stands for; the five bytes the code page leaves
// undefined stand for the C1 controls of the same number, as editors that
// open the texts as Windows-1252 read them, so that they come back unchanged.
uint32_t code_point_of(unsigned char byte) {
  const uint32_t cp = windows_1252_code_point(byte);
  return cp == 0 && byte != 0 ? byte : cp;
}

// The byte of a code point, or none (-1).
int byte_of(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  static const std::array<uint32_t, 32> high = [] {
    std::array<uint32_t, 32> t{};
    for (int b = 0x80; b < 0xA0; ++b)
      t[static_cast<size_t>(b - 0x80)] = code_point_of(static_cast<unsigned char>(b));
    return t;
  }();
  for (size_t i = 0; i < high.size(); ++i)
    if (high[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

std::size_t utf8_length(uint32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// One character of well-formed UTF-8 at `i`: its code point and length, or
// the byte alone (as a code point of its own value) when it is malformed.
std::pair<uint32_t, std::size_t> decode(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1};
  const std::size_t n = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 ? 2 : 0;
  if (n == 0 || (b0 >= 0xE0 && n == 2) || i + n > s.size()) return {b0, 1};
  uint32_t cp = b0 & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return {b0, 1};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (utf8_length(cp) != n || (cp >= 0xD800 && cp < 0xE000)) return {b0, 1};
  return {cp, n};
}

}  // namespace

std::string to_windows_1252(std::string_view utf8, std::vector<unencodable>& missing,
                            std::size_t base_offset) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto [cp, n] = decode(utf8, i);
    const int byte = byte_of(cp);
    if (byte < 0) missing.push_back({base_offset + out.size(), cp});
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    i += n;
  }
  return out;
}

std::string to_utf8(std::string_view windows_1252) {
  std::string out;
  out.reserve(windows_1252.size());
  for (char c : windows_1252) append_utf8(code_point_of(static_cast<unsigned char>(c)), out);
  return out;
}

document_text::document_text(std::string_view utf8) {
  // In the body: the list of characters without a byte is filled as the
  // bytes are made.
  bytes_ = to_windows_1252(utf8, unencodables_);
  index_lines();
}

document_text document_text::of_bytes(std::string bytes) {
  document_text text;
  text.bytes_ = std::move(bytes);
  text.index_lines();
  return text;
}

// Lines end at "\n", "\r\n" or a lone "\r", as the editor and the readers
// both count them.
void document_text::index_lines() {
  line_starts_.assign(1, 0);
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (bytes_[i] == '\r' && i + 1 < bytes_.size() && bytes_[i + 1] == '\n') ++i;
    if (bytes_[i] == '\n' || bytes_[i] == '\r') line_starts_.push_back(i + 1);
  }
}

std::string_view document_text::line(int32_t line) const {
  if (line < 0 || line >= line_count()) return {};
  const std::size_t begin = line_starts_[static_cast<size_t>(line)];
  std::size_t end =
      line + 1 < line_count() ? line_starts_[static_cast<size_t>(line) + 1] : bytes_.size();
  while (end > begin && (bytes_[end - 1] == '\n' || bytes_[end - 1] == '\r')) --end;
  return std::string_view(bytes_).substr(begin, end - begin);
}

int64_t document_text::width(std::size_t offset, position_encoding encoding) const {
  const auto byte = static_cast<unsigned char>(bytes_[offset]);
  uint32_t cp = code_point_of(byte);
  if (byte == '?') {
    const auto it =
        std::lower_bound(unencodables_.begin(), unencodables_.end(), offset,
                         [](const unencodable& u, std::size_t o) { return u.offset < o; });
    if (it != unencodables_.end() && it->offset == offset) cp = it->code_point;
  }
  if (encoding == position_encoding::utf8) return static_cast<int64_t>(utf8_length(cp));
  return cp >= 0x10000 ? 2 : 1;
}

text_place document_text::place_of(editor_position p, position_encoding encoding) const {
  if (p.line < 0) return {0, 0};
  if (p.line >= line_count()) return place_at(bytes_.size());
  const auto n = static_cast<int32_t>(p.line);
  const std::string_view text = line(n);
  const std::size_t begin = line_starts_[static_cast<size_t>(n)];
  int64_t units = 0;
  int32_t column = 0;
  while (static_cast<std::size_t>(column) < text.size()) {
    const int64_t w = width(begin + static_cast<size_t>(column), encoding);
    if (units + w > p.character) break;
    units += w;
    ++column;
  }
  return {n, column};
}

editor_position document_text::position_of(text_place place, position_encoding encoding) const {
  const int32_t n = std::clamp(place.line, 0, line_count() - 1);
  const std::string_view text = line(n);
  const auto end =
      static_cast<int32_t>(std::min<std::size_t>(std::max(place.column, 0), text.size()));
  const std::size_t begin = line_starts_[static_cast<size_t>(n)];
  int64_t units = 0;
  for (int32_t c = 0; c < end; ++c) units += width(begin + static_cast<size_t>(c), encoding);
  return {n, units};
}

std::size_t document_text::offset_of(text_place place) const {
  const int32_t n = std::clamp(place.line, 0, line_count() - 1);
  const std::size_t column = std::min<std::size_t>(std::max(place.column, 0), line(n).size());
  return line_starts_[static_cast<size_t>(n)] + column;
}

text_place document_text::place_at(std::size_t offset) const {
  offset = std::min(offset, bytes_.size());
  const auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  const auto n = static_cast<int32_t>(it - line_starts_.begin() - 1);
  const std::size_t column =
      std::min(offset - line_starts_[static_cast<size_t>(n)], line(n).size());
  return {n, static_cast<int32_t>(column)};
}

void document_text::replace(text_place from, text_place to, std::string_view utf8) {
  std::size_t begin = offset_of(from), end = offset_of(to);
  if (end < begin) std::swap(begin, end);
  std::vector<unencodable> added;
  const std::string inserted = to_windows_1252(utf8, added, begin);
  bytes_.replace(begin, end - begin, inserted);
  // The remembered characters: those before stay, those replaced go, those
  // after move with the bytes.
  const auto first =
      std::lower_bound(unencodables_.begin(), unencodables_.end(), begin,
                       [](const unencodable& u, std::size_t o) { return u.offset < o; });
  auto last = std::lower_bound(first, unencodables_.end(), end,
                               [](const unencodable& u, std::size_t o) { return u.offset < o; });
  for (auto it = last; it != unencodables_.end(); ++it)
    it->offset = it->offset - end + begin + inserted.size();
  last = unencodables_.erase(first, last);
  unencodables_.insert(last, added.begin(), added.end());
  index_lines();
}

}  // namespace scenario::tool::lsp
