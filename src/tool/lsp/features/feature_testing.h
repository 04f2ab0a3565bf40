// What the tests of the editor features share: edits applied to a text as
// an editor applies them, and a compilation of a pair with its warnings.
#ifndef SCENARIO_TOOL_LSP_FEATURES_FEATURE_TESTING_H_
#define SCENARIO_TOOL_LSP_FEATURES_FEATURE_TESTING_H_

#include <algorithm>
#include <string>
#include <vector>

#include "compile/compilation.h"
#include "format/compiled_files.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp::testing {

// The byte offset of a place; a column past its line's end stands at it.
inline size_t offset_of(const std::string& text, text_place at) {
  size_t from = 0;
  for (int32_t i = 0; i < at.line; ++i) from = text.find('\n', from) + 1;
  size_t end = text.find('\n', from);
  if (end == std::string::npos) end = text.size();
  if (end > from && text[end - 1] == '\r') --end;
  return std::min(from + static_cast<size_t>(at.column), end);
}

// Edits of one request never overlap: applied from the last one back, each
// keeps the places of those before it.
inline std::string applied(std::string text, std::vector<text_edit> edits) {
  std::sort(edits.begin(), edits.end(), [](const text_edit& a, const text_edit& b) {
    return std::tie(a.range.start.line, a.range.start.column) >
           std::tie(b.range.start.line, b.range.start.column);
  });
  for (const text_edit& e : edits) {
    const size_t from = offset_of(text, e.range.start);
    const size_t to = e.range.end.line > e.range.start.line && e.range.end.column == 0
                          ? text.find('\n', from) + 1  // through a line end
                          : offset_of(text, e.range.end);
    text.replace(from, to - from, e.new_text);
  }
  return text;
}

struct compiled_pair {
  compiled_bytes bytes;
  std::vector<reader_warning> warnings;
};

inline compiled_pair compiled(const std::string& line, const std::string& service) {
  scenario_records records;
  records.line_id = "X";
  records.train_code = "T";
  compilation c = compile_scenario(records, true, line, service);
  return {c.compiled ? compiled_files_bytes(records) : compiled_bytes{},
          std::move(c.reading.warnings)};
}

}  // namespace scenario::tool::lsp::testing

#endif  // SCENARIO_TOOL_LSP_FEATURES_FEATURE_TESTING_H_
