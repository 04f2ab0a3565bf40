#include <algorithm>
#include <string>

#include "tool/lsp/features.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {

std::optional<signature_info> signature_help(const text_pair& texts, text_kind which,
                                             text_place at) {
  const std::string_view text =
      which == text_kind::line_description ? texts.line_description : texts.train_service;
  const scanned_line line = scan_line(line_of(text, at.line), source_of(which));
  if (!line.form || line.fields.empty() || at.column <= line.fields.front().end)
    return std::nullopt;
  const entry_form& form = *line.form;
  signature_info info;
  info.label = std::string(form.keyword) + ",";
  for (const field_form& f : form.fields) {
    std::string parameter(f.name);
    if (!f.unit.empty()) parameter += " (" + std::string(f.unit) + ")";
    info.label += (info.parameters.empty() ? " " : ", ") + parameter;
    info.parameters.push_back(std::move(parameter));
  }
  info.documentation = std::string(form.meaning);
  // The field the place is in: one past each value that ends before it.
  int active = 0;
  for (size_t i = 1; i < line.fields.size(); ++i)
    if (at.column >= line.fields[i].start) active = static_cast<int>(i) - 1;
  if (form.keyword != "orologio") {
    const std::string_view before = line.content.substr(
        0, std::min<size_t>(static_cast<size_t>(at.column), line.content.size()));
    active = static_cast<int>(std::count(before.begin(), before.end(), ',')) - 1;
  }
  if (active < 0 || static_cast<size_t>(active) >= form.fields.size()) return std::nullopt;
  info.active_parameter = active;
  return info;
}

}  // namespace scenario::tool::lsp
