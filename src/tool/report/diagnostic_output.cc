// The text form of a report: each diagnostic in the compilers' form, then
// the source line it points at and a caret under the column.
#include <algorithm>
#include <cstddef>

#include "system/windows_1252.h"
#include "tool/report/report.h"

namespace scenario::tool {
namespace {

constexpr size_t kWidest = 120;  // bytes of a source line shown around the column

const char* const kBold = "\x1b[1m";
const char* const kRed = "\x1b[1;31m";
const char* const kMagenta = "\x1b[1;35m";
const char* const kGreen = "\x1b[1;32m";
const char* const kReset = "\x1b[0m";

// Where the line that starts at `begin` ends: at its CR or LF, or at the end
// of the text.  (find_first_of calls memchr for every byte it passes: the
// excerpts of a few dozen warnings deep in a long text took a fifth of the
// compile's time.)
size_t line_end(std::string_view text, size_t begin) {
  const auto end = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(begin), text.end(),
                                [](char c) { return c == '\r' || c == '\n'; });
  return static_cast<size_t>(end - text.begin());
}

// The line `line` of `text`, without its line end; nothing past the last.
std::optional<std::string_view> nth_line(std::string_view text, int32_t line) {
  size_t begin = 0;
  for (int32_t n = 1; n < line; ++n) {
    const size_t end = line_end(text, begin);
    if (end == text.size()) return std::nullopt;
    begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return text.substr(begin, line_end(text, begin) - begin);
}

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

}  // namespace

std::string source_excerpt(std::string_view text, int32_t line, int32_t column, bool colour) {
  const std::optional<std::string_view> source = nth_line(text, line);
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

void print_diagnostics(std::ostream& err, const compile_report& report, const source_names& names,
                       const source_texts& texts, bool colour) {
  for (const diagnostic& d : report.diagnostics) {
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
    const std::string_view source =
        *d.file == names.line_description ? texts.line_description : texts.train_service;
    err << source_excerpt(source, *d.line, *d.column, colour);
  }
  if (report.error_limit != 0)
    err << "scenario-tool: note: stopped looking for errors after " << report.error_limit
        << "; there may be more further on: mend these and check again\n";
}

}  // namespace scenario::tool
