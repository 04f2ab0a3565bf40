#include <string>

#include "tool/lsp/features.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {

std::vector<inlay_hint> inlay_hints(std::string_view text, text_kind which, text_range range) {
  std::vector<inlay_hint> hints;
  const std::vector<std::string_view> lines = split_lines(text);
  const int32_t last = std::min<int32_t>(range.end.line, static_cast<int32_t>(lines.size()) - 1);
  for (int32_t n = std::max(range.start.line, 0); n <= last; ++n) {
    const scanned_line line = scan_line(lines[static_cast<size_t>(n)], source_of(which));
    if (!line.form) continue;
    for (size_t i = 1; i < line.fields.size() && i <= line.form->fields.size(); ++i) {
      const text_place at{n, line.fields[i].start};
      // The range's end is not in it.
      if (n == range.start.line && at.column < range.start.column) continue;
      if (n == range.end.line && at.column >= range.end.column) continue;
      hints.push_back({at, std::string(line.form->fields[i - 1].name) + ":"});
    }
  }
  return hints;
}

}  // namespace scenario::tool::lsp
