#include <cctype>
#include <string>

#include "tool/lsp/features.h"
#include "tool/lsp/features/field_text.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string snippet_of(const entry_form& form) {
  std::string s(form.keyword);
  // The clock's numbers stand apart by blanks.
  const char* separator = form.keyword == "orologio" ? "  " : ", ";
  s += ",  ";
  int stop = 1;
  for (const field_form& f : form.fields) {
    if (stop > 1) s += separator;
    s += "${" + std::to_string(stop++) + ":" + std::string(f.name) + "}";
  }
  return s;
}

completion_item entry_item(const entry_form& form) {
  return {std::string(form.keyword), field_list(form), std::string(form.meaning), snippet_of(form),
          completion_item::kind::keyword};
}

// The entries of the section in force: those the writer puts there, or,
// in a section of the author's own after the general one, every entry
// read after it.
std::vector<completion_item> entries_in(source_kind kind, std::string_view section) {
  std::vector<completion_item> items;
  for (const entry_form& form : entry_forms(kind))
    if (form.section == section) items.push_back(entry_item(form));
  if (!items.empty() || section.empty() || section == "[fine]") return items;
  for (const entry_form& form : entry_forms(kind))
    if (!form.general) items.push_back(entry_item(form));
  return items;
}

}  // namespace

std::vector<completion_item> completion(const text_pair& texts, text_kind which, text_place at) {
  const std::string_view text =
      which == text_kind::line_description ? texts.line_description : texts.train_service;
  const source_kind kind = source_of(which);
  const std::string_view content = line_of(text, at.line);
  const size_t column =
      std::min<size_t>(static_cast<size_t>(std::max(at.column, 0)), content.size());
  const std::string_view before = content.substr(0, column);
  // Nothing inside a value: only the keyword field, before its comma.
  if (before.find(',') != std::string_view::npos) return {};
  size_t first = 0;
  while (first < before.size() && is_blank(before[first])) ++first;
  if (first < before.size() && before[first] == '[') {
    std::vector<completion_item> items;
    for (const section_form& s : section_forms(kind))
      items.push_back({std::string(s.name), "section", std::string(s.meaning),
                       std::string(s.name.substr(1)), completion_item::kind::section});
    return items;
  }
  for (char c : before.substr(first))
    if (!(std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ' ')) return {};
  return entries_in(kind, section_before(text, at.line, kind));
}

}  // namespace scenario::tool::lsp
