// The text form of a report: each diagnostic in the compilers' form, then
// the source line it points at and a caret under the column.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/windows_1252.h"
#include "tool/report/line_index.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace {

constexpr size_t kWidest = 120;  // bytes of a source line shown around the column

const char* const kBold = "\x1b[1m";
const char* const kRed = "\x1b[1;31m";
const char* const kMagenta = "\x1b[1;35m";
const char* const kGreen = "\x1b[1;32m";
const char* const kReset = "\x1b[0m";

// How a byte of the source line shows: a tab as a blank, so that the caret
// stays under its column, a Windows-1252 character in UTF-8 as the
// messages quote it, control bytes and undefined ones as \xNN.
std::string shown(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (c == '\t') return " ";
  if (b >= 0x20 && b != 0x7F) return readable(std::string_view(&c, 1));
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("\\x") + kHex[b >> 4] + kHex[b & 0xF];
}

// Columns a shown byte takes: one for a character, four for an escape.
size_t width(const std::string& shown_byte) {
  return shown_byte.size() == 4 && shown_byte[0] == '\\' ? 4 : 1;
}

// The excerpt of a line found already.
std::string excerpt(std::optional<std::string_view> source, int32_t line, int32_t column,
                    bool colour) {
  if (!source || column < 1) return {};
  const size_t at = std::min(static_cast<size_t>(column - 1), source->size());
  // A long line is cut to a window around the column.
  const size_t from = at > kWidest / 2 ? at - kWidest / 2 : 0;
  const size_t to = std::min(source->size(), from + kWidest);
  std::string shown_line = from > 0 ? "..." : "";
  size_t caret = shown_line.size();
  for (size_t i = from; i < to; ++i) {
    const std::string s = shown((*source)[i]);
    if (i < at) caret += width(s);
    shown_line += s;
  }
  if (to < source->size()) shown_line += "...";
  const std::string number = std::to_string(line);
  const std::string gutter(number.size() + 1, ' ');
  std::string out =
      " " + number + " | " + shown_line + "\n " + gutter + "| " + std::string(caret, ' ');
  out += colour ? std::string(kGreen) + "^" + kReset : std::string("^");
  return out + "\n";
}

// The diagnostics of one id left out of a report, past the first
// kShownOfOneId of them.
struct left_out {
  std::string_view id;
  size_t errors = 0;
  size_t warnings = 0;
};

// "130972 more unknown-entry errors like the above are not shown ...".
std::string left_out_note(const left_out& left) {
  const size_t count = left.errors + left.warnings;
  const std::string one = left.warnings == 0 ? "error" : "warning";
  const std::string kinds = left.warnings != 0 && left.errors != 0 ? "errors and warnings"
                            : count == 1                           ? one
                                                                   : one + "s";
  return "scenario-tool: note: " + std::to_string(count) + " more " + std::string(left.id) + " " +
         kinds + (count == 1 ? " like the above is" : " like the above are") +
         " not shown (at most " + std::to_string(kShownOfOneId) +
         " of one id are); --format json lists them all\n";
}

}  // namespace

std::string source_excerpt(std::string_view text, int32_t line, int32_t column, bool colour) {
  return excerpt(line_index(text).line(line), line, column, colour);
}

void print_diagnostics(std::ostream& err, const compile_report& report, const source_names& names,
                       const source_texts& texts, bool colour) {
  // Each text is indexed the first time one of its lines is quoted, and
  // only then.
  std::optional<line_index> line_description, train_service;
  std::unordered_map<std::string_view, size_t> printed;  // by id
  std::vector<left_out> left;                            // in the order first left out
  for (const diagnostic& d : report.diagnostics) {
    if (++printed[d.id] > kShownOfOneId) {
      auto it =
          std::find_if(left.begin(), left.end(), [&d](const left_out& l) { return l.id == d.id; });
      if (it == left.end()) it = left.insert(left.end(), left_out{d.id});
      ++(d.level == severity::warning ? it->warnings : it->errors);
      continue;
    }
    std::string text = format_diagnostic(d, report.failure_position);
    if (colour) {
      // "place: error: message" with the place and the message in bold and
      // the severity in its colour, as compilers show them.
      const std::string label = d.level == severity::warning ? "warning:" : "error:";
      const size_t split = text.find(" " + label + " ");
      if (split != std::string::npos)
        text = kBold + text.substr(0, split) + kReset + " " +
               (d.level == severity::warning ? kMagenta : kRed) + label + kReset + kBold +
               text.substr(split + label.size() + 1) + kReset;
    }
    err << text << '\n';
    if (!d.file || !d.line || !d.column) continue;
    const bool first_text = *d.file == names.line_description;
    std::optional<line_index>& lines = first_text ? line_description : train_service;
    if (!lines) lines.emplace(first_text ? texts.line_description : texts.train_service);
    err << excerpt(lines->line(*d.line), *d.line, *d.column, colour);
  }
  for (const left_out& l : left) err << left_out_note(l);
  if (report.error_limit != 0)
    err << "scenario-tool: note: stopped looking for errors after " << report.error_limit
        << "; there may be more further on: mend these and check again\n";
}

}  // namespace scenario::tool
