// Quick fixes for the warnings whose fix is plain from the text alone: the
// close match the reader suggests for a misspelt word, the position that
// lands where a snapped one does, a tunnel's ends the right way round, a
// profile entry moved to where its position belongs, and the nearest value
// that its field keeps unchanged.
#include <cctype>
#include <string>

#include "model/rounding.h"
#include "reading/entry_watch.h"
#include "reading/warning_ids.h"
#include "tool/lsp/features.h"
#include "tool/lsp/features/field_text.h"
#include "tool/lsp/features/scan.h"

namespace scenario::tool::lsp {
namespace {

text_range range_of(int32_t line, const scanned_field& f) {
  return {{line, f.start}, {line, f.end}};
}

// The place a diagnostic points at, with the entry line around it.
struct diagnosed {
  std::string_view text;
  scanned_line line;
  int32_t n = 0;
  int field = -1;  // the field at the diagnostic's start
};

diagnosed locate(const text_pair& texts, text_kind which, const diagnostic_ref& d) {
  diagnosed at;
  at.text = which == text_kind::line_description ? texts.line_description : texts.train_service;
  at.n = d.range.start.line;
  at.line = scan_line(line_of(at.text, at.n), source_of(which));
  at.field = field_index_at(at.line, d.range.start.column);
  return at;
}

std::optional<int64_t> value_of(const scanned_line& line, size_t i) {
  return i < line.fields.size() ? number_value(line.fields[i].text) : std::nullopt;
}

code_action replace(const diagnosed& at, size_t i, std::string by, std::string title) {
  return {std::move(title), {{range_of(at.n, at.line.fields[i]), std::move(by)}}, true};
}

std::vector<code_action> suggested_word(const diagnosed& at, const diagnostic_ref& d) {
  constexpr std::string_view kAsk = "did you mean \"";
  const size_t from = d.message.find(kAsk);
  if (from == std::string::npos || at.field < 0 ||
      at.line.fields[static_cast<size_t>(at.field)].text.empty())
    return {};
  const size_t begin = from + kAsk.size();
  const size_t end = d.message.find('"', begin);
  if (end == std::string::npos) return {};
  const std::string word = d.message.substr(begin, end - begin);
  return {replace(at, static_cast<size_t>(at.field), word, "Change to \"" + word + "\"")};
}

// A text without its general section is told at its top; the message names
// the line that holds a near miss of "[generale]".
std::vector<code_action> misspelt_general(const text_pair& texts, text_kind which,
                                          const diagnostic_ref& d) {
  constexpr std::string_view kLine = "; line ";
  const size_t from = d.message.rfind(kLine);
  if (from == std::string::npos || d.message.find("did you mean", from) == std::string::npos)
    return {};
  int32_t number = 0;
  for (size_t i = from + kLine.size();
       i < d.message.size() && std::isdigit(static_cast<unsigned char>(d.message[i])) &&
       number < 1'000'000;
       ++i)
    number = number * 10 + (d.message[i] - '0');
  diagnostic_ref there = d;
  there.range.start = {number - 1, 0};
  if (number < 1) return {};
  diagnosed at = locate(texts, which, there);
  constexpr std::string_view kGenerale[] = {"[generale]"};
  if (at.line.fields.empty() || closest_word(at.line.fields[0].text, kGenerale).empty()) return {};
  return {replace(at, 0, "[generale]", "Change to \"[generale]\"")};
}

int64_t snapped(int64_t position, int64_t offset) {
  return segment_position(segment_index(position, offset), offset);
}

std::vector<code_action> snapped_position(const diagnosed& at) {
  if (!at.line.form || at.field < 0) return {};
  const entry_form& form = *at.line.form;
  std::vector<text_edit> edits;
  auto write = [&](size_t i, int64_t v) {
    if (std::to_string(v) != at.line.fields[i].text)
      edits.push_back({range_of(at.n, at.line.fields[i]), std::to_string(v)});
  };
  if (form.keyword == "montagna") {  // said at the entry: both ends
    const std::optional<int64_t> start = value_of(at.line, 1), end = value_of(at.line, 2);
    if (!start || !end) return {};
    write(1, snapped(*start, form.fields[0].offset));
    write(2, snapped(*end, form.fields[1].offset));
  } else if (at.field > 0 && static_cast<size_t>(at.field) <= form.fields.size()) {
    const size_t i = static_cast<size_t>(at.field);
    const field_form& f = form.fields[i - 1];
    const std::optional<int64_t> v = value_of(at.line, i);
    if (!v) return {};
    if (f.storage == stored_as::segment) {
      write(i, snapped(*v, f.offset));
    } else if (f.storage == stored_as::length && f.offset != 0) {  // a slowdown's end
      const std::optional<int64_t> x = value_of(at.line, 1);
      if (!x) return {};
      write(i, snapped(*x + *v, f.offset) - *x);
    }
  }
  if (edits.empty()) return {};
  return {{"Write the position of the segment it lands on", std::move(edits), true}};
}

std::vector<code_action> swapped_tunnel(const diagnosed& at) {
  if (!at.line.form || at.line.form->keyword != "montagna" || at.line.fields.size() < 3) return {};
  const scanned_field& start = at.line.fields[1];
  const scanned_field& end = at.line.fields[2];
  return {{"Swap the tunnel's start and end",
           {{range_of(at.n, start), std::string(end.text)},
            {range_of(at.n, end), std::string(start.text)}},
           true}};
}

std::string line_end_of(std::string_view text) {
  const size_t nl = text.find('\n');
  return nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

// The entry goes before the first entry of its kind with a larger position;
// none when another entry has the very same position (which one should go
// first is the author's call).
std::vector<code_action> moved_entry(const diagnosed& at, text_kind which) {
  const std::optional<int64_t> v = value_of(at.line, 1);
  if (!at.line.form || !v) return {};
  const std::vector<std::string_view> lines = split_lines(at.text);
  std::optional<int32_t> target;
  for (int32_t n = 0; n < static_cast<int32_t>(lines.size()); ++n) {
    if (n == at.n) continue;
    const scanned_line other = scan_line(lines[static_cast<size_t>(n)], source_of(which));
    if (other.form != at.line.form) continue;
    const std::optional<int64_t> p = value_of(other, 1);
    if (p == v) return {};
    if (p && *p > *v && n < at.n && !target) target = n;
  }
  if (!target) return {};
  const std::string end = line_end_of(at.text);
  const bool last = at.n + 1 >= static_cast<int32_t>(lines.size());
  const text_range removed =
      last ? text_range{{at.n - 1,
                         static_cast<int32_t>(lines[static_cast<size_t>(at.n) - 1].size())},
                        {at.n, static_cast<int32_t>(at.line.content.size())}}
           : text_range{{at.n, 0}, {at.n + 1, 0}};
  return {{"Move the entry to its place in increasing position",
           {{{{*target, 0}, {*target, 0}}, std::string(at.line.content) + end}, {removed, ""}},
           true}};
}

std::vector<code_action> fitting_value(const diagnosed& at) {
  if (!at.line.form || at.field <= 0 || static_cast<size_t>(at.field) > at.line.form->fields.size())
    return {};
  const size_t i = static_cast<size_t>(at.field);
  const stored_as storage = at.line.form->fields[i - 1].storage;
  if (storage != stored_as::low8 && storage != stored_as::low16 && storage != stored_as::gradient &&
      storage != stored_as::tunnel_type)
    return {};
  const std::optional<int64_t> v = value_of(at.line, i);
  if (!v || nearest_fitting(storage, *v) == *v) return {};
  const std::string by = std::to_string(nearest_fitting(storage, *v));
  return {replace(at, i, by, "Change to " + by + ", the nearest value that fits")};
}

}  // namespace

std::vector<code_action> code_actions(const text_pair& texts, text_kind which,
                                      const diagnostic_ref& d) {
  if (d.range.start.line < 0) return {};
  const diagnosed at = locate(texts, which, d);
  if (at.line.fields.empty()) return {};
  namespace w = warning_id;
  if (d.id == w::kMisspeltSection || d.id == w::kUnknownEntry) return suggested_word(at, d);
  if (d.id == w::kNoGeneralSection) return misspelt_general(texts, which, d);
  if (d.id == w::kPositionSnapped) return snapped_position(at);
  if (d.id == w::kTunnelReversed) return swapped_tunnel(at);
  if (d.id == w::kOutOfOrder) return moved_entry(at, which);
  if (d.id == w::kValueWrapped) return fitting_value(at);
  return {};
}

}  // namespace scenario::tool::lsp
