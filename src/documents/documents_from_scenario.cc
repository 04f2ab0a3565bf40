#include "documents/documents_from_scenario.h"

#include <algorithm>
#include <cstdio>

#include "reading/warning_ids.h"
#include "system/windows_1252.h"

namespace scenario {
namespace {

std::string code_point_text(uint32_t cp) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

void warn_unencodable(std::string_view what, uint32_t cp, document_source source,
                      std::optional<int32_t> line, std::vector<document_warning>& warnings) {
  warnings.push_back({warning_id::kEncoding,
                      std::string(what) + " holds the character " + code_point_text(cp) +
                          ", which Windows-1252 has no byte for: the documents show '?' in its "
                          "place",
                      source, line});
}

// A text of the options (or an identifier) in the documents' code page,
// on one line.
std::string option_text(std::string_view text, std::string_view what,
                        std::vector<document_warning>& warnings) {
  std::vector<unencodable_character> missing;
  std::string bytes = windows_1252_of_text(text, missing);
  for (const unencodable_character& m : missing)
    warn_unencodable(what, m.code_point, document_source::none, std::nullopt, warnings);
  return single_line(bytes);
}

std::string line_name_of_id(std::string_view line_id) {
  std::string name;
  for (char c : line_id) name += c == '_' ? std::string(" - ") : std::string(1, c);
  return name;
}

// "L5244" is train 5244: the letters in front tell its category.
std::string train_number_of(const std::string& code) {
  size_t digits = 0;
  while (digits < code.size() && ((code[digits] >= 'A' && code[digits] <= 'Z') ||
                                  (code[digits] >= 'a' && code[digits] <= 'z')))
    ++digits;
  return digits < code.size() ? code.substr(digits) : code;
}

document_texts texts_of(const scenario_records& r, const document_options& o,
                        std::vector<document_warning>& w) {
  document_texts t;
  t.line_name = o.line_name.empty()
                    ? option_text(line_name_of_id(r.line_id), "the line identifier", w)
                    : option_text(o.line_name, "the line name", w);
  t.speed_rank = option_text(o.speed_rank, "the speed rank", w);
  t.classification = option_text(o.classification, "the classification", w);
  t.blocked_mass = option_text(o.blocked_mass, "the blocked mass", w);
  t.train_code = option_text(r.train_code, "the train code", w);
  t.train_number = train_number_of(t.train_code);
  return t;
}

// The line of the notes (from 1) that byte `offset` of `text` stands on.
int32_t line_at(std::string_view text, size_t offset) {
  int32_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') ++line;
  }
  return line;
}

std::string expanded(std::string_view line) {
  std::string out;
  for (char c : line) {
    if (c == '\t')
      out.append(8 - out.size() % 8, ' ');
    else
      out.push_back(c);
  }
  return single_line(out);
}

}  // namespace

std::vector<std::string> notes_lines(std::string_view bytes,
                                     std::vector<document_warning>& warnings) {
  std::vector<unencodable_character> missing;
  const std::string text = windows_1252_of_text(bytes, missing);
  for (const unencodable_character& m : missing)
    warn_unencodable("the notes file", m.code_point, document_source::notes,
                     line_at(text, m.offset), warnings);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(expanded(std::string_view(text).substr(start, i - start)));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(expanded(std::string_view(text).substr(start)));
  return lines;
}

scenario_documents documents_from_scenario(const scenario_records& records,
                                           const document_options& options) {
  scenario_documents out;
  const document_texts texts = texts_of(records, options, out.warnings);
  const scenario_facts facts = facts_of(records);
  out.train_sheet = train_sheet_from_records(records, facts, texts, out.warnings);
  out.slow_orders = slow_order_form_from_records(records, facts, texts, out.warnings);
  std::optional<std::vector<std::string>> notes;
  if (options.notes) notes = notes_lines(*options.notes, out.warnings);
  out.notes = notes_page_from_records(facts, texts, notes);
  // Slowdowns between the same two stations cut their names alike: one
  // warning tells it.
  std::vector<document_warning> once;
  for (document_warning& w : out.warnings) {
    const bool told = std::any_of(once.begin(), once.end(), [&](const document_warning& o) {
      return o.id == w.id && o.message == w.message && o.line == w.line;
    });
    if (!told) once.push_back(std::move(w));
  }
  out.warnings = std::move(once);
  return out;
}

}  // namespace scenario
