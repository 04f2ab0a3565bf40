// An open text as the compiler reads it: the editor sends Unicode, the
// readers take Windows-1252 bytes.  Every character becomes exactly one byte
// (one that the code page cannot say becomes '?', and is remembered), so a
// byte column is the character index in the editor's line; the columns the
// editor counts (UTF-16 code units or UTF-8 bytes) are worked out from the
// bytes and the remembered characters.
#ifndef SCENARIO_TOOL_LSP_DOCUMENT_TEXT_H_
#define SCENARIO_TOOL_LSP_DOCUMENT_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tool/lsp/features.h"

namespace scenario::tool::lsp {

// How the editor counts columns.
enum class position_encoding { utf16, utf8 };

// A place as the editor gives it: line from 0, column in its encoding.
struct editor_position {
  int64_t line = 0;
  int64_t character = 0;
};

// A character the code page has no byte for, read as '?'.
struct unencodable {
  std::size_t offset = 0;  // of its '?' in the bytes
  uint32_t code_point = 0;
};

class document_text {
 public:
  document_text() { index_lines(); }
  explicit document_text(std::string_view utf8);
  // A text read from disk, already Windows-1252.
  static document_text of_bytes(std::string bytes);

  const std::string& bytes() const { return bytes_; }
  const std::vector<unencodable>& unencodables() const { return unencodables_; }
  int32_t line_count() const { return static_cast<int32_t>(line_starts_.size()); }
  // A line's bytes without its line end.
  std::string_view line(int32_t line) const;

  // The byte place of an editor position, clamped into the text: a line
  // beyond the last is the end of the text, a column beyond the line's end
  // its end, a column inside a character that character's start.
  text_place place_of(editor_position p, position_encoding encoding) const;
  editor_position position_of(text_place place, position_encoding encoding) const;
  std::size_t offset_of(text_place place) const;
  text_place place_at(std::size_t offset) const;

  // Replaces the bytes between two places by the UTF-8 text `utf8`.
  void replace(text_place from, text_place to, std::string_view utf8);

 private:
  void index_lines();
  // The editor's width of the byte at `offset`.
  int64_t width(std::size_t offset, position_encoding encoding) const;

  std::string bytes_;
  std::vector<std::size_t> line_starts_;
  std::vector<unencodable> unencodables_;  // by offset
};

// The editor's UTF-8 text as Windows-1252 bytes, one per character; the
// characters without a byte are listed with the offsets of their '?'.
// Malformed UTF-8 (which a JSON parser never hands over) reads byte by byte.
std::string to_windows_1252(std::string_view utf8, std::vector<unencodable>& missing,
                            std::size_t base_offset = 0);

// The bytes as UTF-8, for what the editor shows (edits, labels).
std::string to_utf8(std::string_view windows_1252);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_DOCUMENT_TEXT_H_
