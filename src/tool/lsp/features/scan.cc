#include "tool/lsp/features/scan.h"

#include "reading/entry_watch.h"

namespace scenario::tool::lsp {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

scanned_field trimmed(std::string_view content, size_t from, size_t to) {
  while (from < to && is_blank(content[from])) ++from;
  while (to > from && is_blank(content[to - 1])) --to;
  return {static_cast<int32_t>(from), static_cast<int32_t>(to), content.substr(from, to - from)};
}

// The clock's numbers stand apart by blanks in one field.
void split_by_blanks(scanned_line& line, scanned_field whole) {
  size_t i = static_cast<size_t>(whole.start);
  const size_t end = static_cast<size_t>(whole.end);
  while (i < end) {
    const size_t from = i;
    while (i < end && !is_blank(line.content[i])) ++i;
    line.fields.push_back(trimmed(line.content, from, i));
    while (i < end && is_blank(line.content[i])) ++i;
  }
}

}  // namespace

source_kind source_of(text_kind which) {
  return which == text_kind::line_description ? source_kind::line_description
                                              : source_kind::train_service;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t from = 0;
  while (true) {
    const size_t nl = text.find('\n', from);
    std::string_view line = text.substr(from, nl == std::string_view::npos ? nl : nl - from);
    if (nl != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    from = nl + 1;
  }
  return lines;
}

std::string_view line_of(std::string_view text, int32_t n) {
  if (n < 0) return {};
  size_t from = 0;
  for (int32_t i = 0; i < n; ++i) {
    const size_t nl = text.find('\n', from);
    if (nl == std::string_view::npos) return {};
    from = nl + 1;
  }
  const size_t nl = text.find('\n', from);
  std::string_view line = text.substr(from, nl == std::string_view::npos ? nl : nl - from);
  if (nl != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

scanned_line scan_line(std::string_view content, source_kind text) {
  scanned_line line;
  line.content = content;
  size_t i = 0;
  while (i <= content.size()) {
    size_t from = i;
    while (from < content.size() && is_blank(content[from])) ++from;
    size_t to = from;
    if (to < content.size() && content[to] == '"') {
      line.quoted = true;
      const size_t close = content.find('"', to + 1);
      line.open_quote = close == std::string_view::npos;
      to = line.open_quote ? content.size() : close + 1;
    }
    const size_t comma = content.find(',', to);
    const size_t end = comma == std::string_view::npos ? content.size() : comma;
    const scanned_field field = trimmed(content, i, end);
    if (comma != std::string_view::npos || !field.text.empty() || line.fields.empty())
      line.fields.push_back(field);
    if (comma == std::string_view::npos) break;
    ++line.commas;
    i = comma + 1;
    if (i == content.size()) break;
  }
  if (line.fields.empty() || line.fields.front().text.empty()) return line;
  const std::string_view keyword = line.fields.front().text;
  line.comment = is_comment_field(keyword);
  line.section = !line.comment && is_section_field(keyword);
  if (line.comment || line.section) return line;
  line.form = find_entry_form(text, keyword);
  if (line.form && line.form->keyword == "orologio" && line.fields.size() == 2) {
    const scanned_field whole = line.fields.back();
    line.fields.pop_back();
    split_by_blanks(line, whole);
  }
  return line;
}

std::string_view section_before(std::string_view text, int32_t n, source_kind kind) {
  size_t end = 0;  // the start of line n
  for (int32_t i = 0; i < n; ++i) {
    const size_t nl = text.find('\n', end);
    if (nl == std::string_view::npos) break;
    end = nl + 1;
  }
  while (end > 0) {
    const size_t last = end - 1;  // the "\n" ending the line before
    const size_t nl = last == 0 ? std::string_view::npos : text.rfind('\n', last - 1);
    const size_t begin = nl == std::string_view::npos ? 0 : nl + 1;
    std::string_view line = text.substr(begin, last - begin);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const scanned_line l = scan_line(line, kind);
    if (l.section) return l.fields.front().text;
    end = begin;
  }
  return {};
}

int field_index_at(const scanned_line& line, int32_t column) {
  if (line.fields.empty() || column < line.fields.front().start) return -1;
  if (column <= line.fields.front().end) return 0;
  for (size_t i = line.fields.size(); i-- > 1;)
    if (column >= line.fields[i].start || (column > line.fields[i - 1].end))
      return static_cast<int>(i);
  return 0;
}

}  // namespace scenario::tool::lsp
