// The lines of a source text as the editor features see them: each line cut
// into its comma-separated fields with their byte columns, and the entry its
// keyword field names.  Unlike the readers, a line is taken on its own: an
// entry short of values does not reach into the next line here, which is
// what an author sees on the screen.
#ifndef SCENARIO_TOOL_LSP_FEATURES_SCAN_H_
#define SCENARIO_TOOL_LSP_FEATURES_SCAN_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "reading/entry_forms.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp {

source_kind source_of(text_kind which);

struct scanned_field {
  int32_t start = 0;  // first byte after the blanks before it
  int32_t end = 0;    // one past its last byte that is not a blank
  std::string_view text;
};

struct scanned_line {
  std::string_view content;  // without its line end
  // The keyword field first, then the values (for "orologio", its numbers
  // apart by blanks).  A comma at the end of the line makes no empty field.
  std::vector<scanned_field> fields;
  int32_t commas = 0;
  bool quoted = false;  // a field starting with a double quote
  // A quote no quote closes on this line: the field runs on over the line
  // ends to the next quote in the text.
  bool open_quote = false;
  bool comment = false;
  bool section = false;
  const entry_form* form = nullptr;  // none on comment and section lines
};

// The lines of a text, split at "\n"; a "\r" before it is left out.
std::vector<std::string_view> split_lines(std::string_view text);
// Line `n` of a text; empty past its end.
std::string_view line_of(std::string_view text, int32_t n);

scanned_line scan_line(std::string_view content, source_kind text);

// The section line in force at line `n`, found by reading back from it
// only: quick on the longest texts.
std::string_view section_before(std::string_view text, int32_t n, source_kind kind);

// The field a column stands in or right after (blanks before a field belong
// to it); -1 when the column is before the keyword's end or on no field.
int field_index_at(const scanned_line& line, int32_t column);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_FEATURES_SCAN_H_
