#include <string>

#include "tool/lsp/features.h"
#include "tool/lsp/features/field_text.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

text_range range_of(int32_t line, const scanned_field& f) {
  return {{line, f.start}, {line, f.end}};
}

std::string keyword_markdown(const entry_form& form) {
  std::string md = "**" + std::string(form.keyword) + "**: " + std::string(form.meaning) + "\n\n";
  if (form.general) md += "Read only in the general section.\n\n";
  md += "Fields, in order:\n";
  for (const field_form& f : form.fields) {
    md += "\n- `" + std::string(f.name) + "`";
    if (!f.unit.empty()) md += " (" + std::string(f.unit) + ")";
    md += ": " + std::string(f.meaning);
  }
  return md;
}

std::string value_markdown(const entry_form& form, const field_form& field, std::string_view text) {
  std::string md = "**" + std::string(form.keyword) + "**, field `" + std::string(field.name) + "`";
  if (!field.unit.empty()) md += " (" + std::string(field.unit) + ")";
  md += ": " + std::string(field.meaning);
  if (field.storage == stored_as::text) return md;
  const std::optional<int64_t> value = number_value(text);
  if (!value) return md + "\n\n`" + std::string(text) + "` is no whole number.";
  md += "\n\nValue " + std::to_string(*value);
  if (text.empty()) md += " (an empty field reads as 0)";
  const std::string stored = stored_text(field, *value);
  return md + (stored.empty() ? ", stored as written." : ". " + stored);
}

std::optional<hover_info> section_hover(source_kind kind, int32_t line, const scanned_field& f) {
  for (const section_form& s : section_forms(kind))
    if (f.text == s.name)
      return hover_info{"**" + std::string(s.name) + "**: " + std::string(s.meaning),
                        range_of(line, f)};
  return std::nullopt;
}

}  // namespace

// Only the line under the place is read: hovering stays quick on the
// longest texts.
std::optional<hover_info> hover(const text_pair& texts, text_kind which, text_place at) {
  const std::string_view text =
      which == text_kind::line_description ? texts.line_description : texts.train_service;
  const scanned_line line = scan_line(line_of(text, at.line), source_of(which));
  const int index = field_index_at(line, at.column);
  if (index < 0) return std::nullopt;
  const scanned_field& f = line.fields[static_cast<size_t>(index)];
  if (at.column < f.start || at.column > f.end) return std::nullopt;
  if (line.section) return section_hover(source_of(which), at.line, f);
  if (!line.form) return std::nullopt;
  if (index == 0) return hover_info{keyword_markdown(*line.form), range_of(at.line, f)};
  if (static_cast<size_t>(index) > line.form->fields.size()) return std::nullopt;
  return hover_info{
      value_markdown(*line.form, line.form->fields[static_cast<size_t>(index) - 1], f.text),
      range_of(at.line, f)};
}

}  // namespace scenario::tool::lsp
