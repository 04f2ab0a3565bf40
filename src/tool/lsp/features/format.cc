// Formatting lays out each entry line as decompile writes it: the keyword,
// then the values after a comma and two blanks, each right-aligned in the
// column of the entries of its kind around it.  Only blanks next to commas
// and at the ends of a line change, which the readers pass over; a line the
// formatter cannot be sure of (an unusual keyword, a value that is no plain
// number, an entry that reads on into the next line or leaves values on its
// own) stays as written.
#include <string>

#include "tool/decompile/entries.h"
#include "tool/lsp/features.h"
#include "tool/lsp/features/field_text.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

// The line as an aligned row, when it can be laid out without a doubt.
std::optional<recovery::entry_row> row_of(const scanned_line& line) {
  if (!line.form || line.form->keyword == "orologio") return std::nullopt;
  const entry_form& form = *line.form;
  if (!is_written_keyword(form, line.fields[0].text)) return std::nullopt;
  if (line.fields.size() != form.fields.size() + 1) return std::nullopt;
  recovery::entry_row row{std::string(line.fields[0].text), {}, false};
  for (size_t i = 1; i < line.fields.size(); ++i) {
    const std::string_view value = line.fields[i].text;
    if (form.fields[i - 1].storage == stored_as::text) {
      const bool quoted = value.starts_with('"');
      // A quoted text must be all of its field; an unquoted one holds no quote.
      if (quoted
              ? value.size() < 2 || !value.ends_with('"') || value.find('"', 1) != value.size() - 1
              : value.find('"') != std::string_view::npos || value.empty())
        return std::nullopt;
      row.ends_in_text = true;
    } else if (!number_value(value) || value.find('"') != std::string_view::npos) {
      return std::nullopt;
    }
    row.fields.emplace_back(value);
  }
  return row;
}

// A range that ends at the start of a line does not hold that line.
bool in_range(const std::optional<text_range>& range, int32_t n) {
  if (!range) return true;
  const bool ends_before = range->end.column == 0 && range->end.line > range->start.line;
  return n >= range->start.line && (n < range->end.line || (n == range->end.line && !ends_before));
}

}  // namespace

std::vector<text_edit> format(std::string_view text, text_kind which,
                              std::optional<text_range> range) {
  std::vector<text_edit> edits;
  const std::vector<std::string_view> lines = split_lines(text);
  const int32_t count = static_cast<int32_t>(lines.size());
  std::vector<recovery::entry_row> group;
  int32_t first = 0;  // the line of the group's first row
  auto flush = [&] {
    const std::vector<std::string> laid_out = recovery::aligned_rows(group);
    for (size_t i = 0; i < laid_out.size(); ++i) {
      const int32_t n = first + static_cast<int32_t>(i);
      const std::string_view old = lines[static_cast<size_t>(n)];
      if (in_range(range, n) && laid_out[i] != old)
        edits.push_back({{{n, 0}, {n, static_cast<int32_t>(old.size())}}, laid_out[i]});
    }
    group.clear();
  };
  // Inside a quote that runs over line ends every blank is part of a text
  // the compiled files keep: those lines stay as written.
  bool in_quote = false;
  for (int32_t n = 0; n < count; ++n) {
    const std::string_view content = lines[static_cast<size_t>(n)];
    if (in_quote) {
      const size_t close = content.find('"');
      in_quote =
          close == std::string_view::npos || content.find('"', close + 1) != std::string_view::npos;
      flush();
      continue;
    }
    const scanned_line scanned = scan_line(content, source_of(which));
    in_quote = scanned.open_quote;
    std::optional<recovery::entry_row> row = row_of(scanned);
    if (!row || (!group.empty() && (group.back().keyword != row->keyword ||
                                    group.back().fields.size() != row->fields.size())))
      flush();
    if (!row) continue;
    if (group.empty()) first = n;
    group.push_back(std::move(*row));
  }
  flush();
  return edits;
}

}  // namespace scenario::tool::lsp
