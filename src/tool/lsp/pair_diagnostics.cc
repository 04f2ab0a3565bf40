#include "tool/lsp/pair_diagnostics.h"

#include <regex>

#include "compile/compilation.h"
#include "format/scenario_names.h"
#include "tool/lsp/document_text.h"
#include "tool/report/further_errors.h"
#include "tool/report/report.h"
#include "tool/report/text_encoding.h"

namespace scenario::tool::lsp {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\n' || c == '\r'; }

// The start of line `line` (from 1) and its bytes; the last line for one
// beyond it.
std::pair<int32_t, std::string_view> find_line(std::string_view text, int32_t line) {
  int32_t n = 1;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size() && n < line; ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (is_line_end(text[i])) {
      ++n;
      begin = i + 1;
    }
  }
  std::size_t end = begin;
  while (end < text.size() && !is_line_end(text[end])) ++end;
  return {n - 1, text.substr(begin, end - begin)};
}

// The message as `check` words it, without its place and its id.
std::string message_of(const diagnostic& d, int32_t failure_position) {
  diagnostic bare = d;
  bare.file.reset();
  bare.line.reset();
  bare.column.reset();
  std::string text = format_diagnostic(bare, failure_position);
  for (std::string_view prefix : {"scenario-tool: error: ", "scenario-tool: warning: "})
    if (text.starts_with(prefix)) text.erase(0, prefix.size());
  if (d.code == 0) {
    const std::size_t id = text.rfind(" [");
    if (id != std::string::npos) text.erase(id);
  }
  return identifier_text(text);
}

std::vector<related_place> related_places(const std::string& message, text_kind own,
                                          const source_names& names, const source_texts& texts) {
  static const std::regex kPlace(R"(\(line ([0-9]{1,9})(?: of ([^)]*))?\))");
  std::vector<related_place> out;
  for (auto it = std::sregex_iterator(message.begin(), message.end(), kPlace);
       it != std::sregex_iterator(); ++it) {
    text_kind text = own;
    const std::string of = (*it)[2].str();
    if (of == "the line description" || of == names.line_description)
      text = text_kind::line_description;
    else if (of == "the train service text" || of == names.train_service)
      text = text_kind::train_service;
    else if (!of.empty())
      continue;
    const std::string_view bytes =
        text == text_kind::line_description ? texts.line_description : texts.train_service;
    out.push_back({text, field_range(bytes, std::stoi((*it)[1].str()), std::nullopt)});
  }
  return out;
}

bool same_range(const text_range& a, const text_range& b) {
  return a.start.line == b.start.line && a.start.column == b.start.column &&
         a.end.line == b.end.line && a.end.column == b.end.column;
}

}  // namespace

bool same_diagnostic(const text_diagnostic& a, const text_diagnostic& b) {
  return same_range(a.range, b.range) && a.severity == b.severity && a.code == b.code &&
         a.message == b.message;
}

text_range field_range(std::string_view text, std::optional<int32_t> line,
                       std::optional<int32_t> column) {
  const auto [n, bytes] = find_line(text, std::max(line.value_or(1), 1));
  if (!column) return {{n, 0}, {n, static_cast<int32_t>(bytes.size())}};
  const auto begin = static_cast<std::size_t>(
      std::clamp<int32_t>(*column - 1, 0, static_cast<int32_t>(bytes.size())));
  std::size_t end = begin;
  while (end < bytes.size() && bytes[end] != ',' && !is_blank(bytes[end])) ++end;
  // A field that is a comma or a blank still gets a place one byte wide.
  if (end == begin && end < bytes.size()) ++end;
  return {{n, static_cast<int32_t>(begin)}, {n, static_cast<int32_t>(end)}};
}

pair_diagnostics diagnose(const named_text& line_description,
                          const std::optional<named_text>& train_service) {
  scenario_records records;
  records.line_id = line_id_of_description_name(line_description.name).value_or("line");
  records.train_code =
      train_service
          ? train_code_of_service_name(train_service->name, records.line_id).value_or("train")
          : "train";
  const source_names names{line_description.name, train_service ? train_service->name : ""};
  const source_texts texts{line_description.bytes, train_service
                                                       ? std::string_view(train_service->bytes)
                                                       : std::string_view()};
  const source_text service =
      train_service ? source_text(train_service->bytes) : source_text(std::nullopt);
  const compilation result = compile_scenario(records, true, line_description.bytes, service);
  compile_report report = make_report(records, result, names);
  if (train_service)
    add_further_errors(report, find_further_errors(records, result, texts, names), names);

  pair_diagnostics out;
  for (const diagnostic& d : report.diagnostics) {
    // Alone, the line description's reading ends where the service text
    // would be read: what follows is no fault of its own.
    const bool of_service = train_service && d.file == names.train_service;
    if (!train_service && d.file != names.line_description) continue;
    const text_kind kind = of_service ? text_kind::train_service : text_kind::line_description;
    text_diagnostic t;
    t.range =
        field_range(of_service ? texts.train_service : texts.line_description, d.line, d.column);
    t.severity = d.level == severity::warning ? level::warning : level::error;
    t.code = d.id;
    t.message = message_of(d, report.failure_position);
    t.related = related_places(t.message, kind, names, texts);
    (of_service ? out.train_service : out.line_description).push_back(std::move(t));
  }
  return out;
}

}  // namespace scenario::tool::lsp
