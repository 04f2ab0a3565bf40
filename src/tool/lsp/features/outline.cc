// Document symbols and folding ranges: the outline of a text by sections.
#include <string>

#include "tool/lsp/features.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

using symbol_kind = document_symbol::kind;

text_range whole_line(int32_t n, std::string_view content) {
  return {{n, 0}, {n, static_cast<int32_t>(content.size())}};
}

std::string field_text(const scanned_line& line, size_t i) {
  return i < line.fields.size() ? std::string(line.fields[i].text) : std::string();
}

// Stations by name, signals and slowdowns by position, tunnels by span;
// other entries are no landmarks of the outline.
std::optional<document_symbol> entry_symbol(const scanned_line& line, int32_t n) {
  const std::string_view k = line.form->keyword;
  document_symbol s{{},
                    std::string(k),
                    symbol_kind::entry,
                    whole_line(n, line.content),
                    {{n, line.fields[0].start}, {n, line.fields[0].end}},
                    {}};
  if (k == "stazione") {
    s.what = symbol_kind::station;
    s.name = field_text(line, line.form->fields.size());
    if (s.name.empty()) s.name = "station at " + field_text(line, 1) + " m";
  } else if (k == "segnale" || k == "rallentamento") {
    s.what = k == "segnale" ? symbol_kind::signal : symbol_kind::slowdown;
    s.name = std::string(k) + " " + field_text(line, 1) + " m";
  } else if (k == "montagna") {
    s.what = symbol_kind::tunnel;
    s.name = "montagna " + field_text(line, 1) + "-" + field_text(line, 2) + " m";
  } else {
    return std::nullopt;
  }
  if (line.fields.size() > 1)
    s.selection = {{n, line.fields[1].start}, {n, line.fields.back().end}};
  return s;
}

}  // namespace

std::vector<document_symbol> document_symbols(std::string_view text, text_kind which) {
  std::vector<document_symbol> sections;
  const std::vector<std::string_view> lines = split_lines(text);
  int32_t last_content = 0;
  for (int32_t n = 0; n < static_cast<int32_t>(lines.size()); ++n) {
    const scanned_line line = scan_line(lines[static_cast<size_t>(n)], source_of(which));
    if (line.section) {
      if (!sections.empty())
        sections.back().range.end = {
            last_content, static_cast<int32_t>(lines[static_cast<size_t>(last_content)].size())};
      const text_range r{{n, line.fields[0].start}, {n, line.fields[0].end}};
      sections.push_back({std::string(line.fields[0].text),
                          "section",
                          symbol_kind::section,
                          whole_line(n, line.content),
                          r,
                          {}});
    } else if (line.form && !sections.empty()) {
      if (std::optional<document_symbol> s = entry_symbol(line, n))
        sections.back().children.push_back(std::move(*s));
    }
    if (!line.fields.empty() && !line.fields.front().text.empty()) last_content = n;
  }
  if (!sections.empty())
    sections.back().range.end = {
        last_content, static_cast<int32_t>(lines[static_cast<size_t>(last_content)].size())};
  return sections;
}

std::vector<folding_range> folding_ranges(std::string_view text) {
  std::vector<folding_range> ranges;
  const std::vector<std::string_view> lines = split_lines(text);
  std::optional<int32_t> open;
  int32_t last_content = 0;
  auto close = [&] {
    if (open && last_content > *open) ranges.push_back({*open, last_content});
  };
  for (int32_t n = 0; n < static_cast<int32_t>(lines.size()); ++n) {
    // Which kind of text does not matter for where sections stand.
    const scanned_line line = scan_line(lines[static_cast<size_t>(n)], source_kind::train_service);
    if (line.section) {
      close();
      open = n;
    }
    if (!line.fields.empty() && !line.fields.front().text.empty()) last_content = n;
  }
  close();
  return ranges;
}

}  // namespace scenario::tool::lsp
