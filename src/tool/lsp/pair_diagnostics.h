// The diagnostics of a pair of texts exactly as `scenario-tool check` gives
// them (the compilation, every further error, nothing allowed), placed on
// the field that caused each one: the run of bytes from its column to the
// next comma or blank, or its whole line when it has no column.
#ifndef SCENARIO_TOOL_LSP_PAIR_DIAGNOSTICS_H_
#define SCENARIO_TOOL_LSP_PAIR_DIAGNOSTICS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/lsp/features.h"

namespace scenario::tool::lsp {

enum class level { error = 1, warning = 2, information = 3 };

// Another place a message names: "(line 6)", "(line 6 of the line description)".
struct related_place {
  text_kind text = text_kind::line_description;
  text_range range;
};

struct text_diagnostic {
  text_range range;
  level severity = level::error;
  std::string code;     // the warning id or failure code
  std::string message;  // UTF-8
  std::vector<related_place> related;
};

// The same diagnostic (a line description compiled with two service texts
// says its own once).
bool same_diagnostic(const text_diagnostic& a, const text_diagnostic& b);

struct named_text {
  std::string name;   // the file name, as the diagnostics name it
  std::string bytes;  // Windows-1252
};

struct pair_diagnostics {
  std::vector<text_diagnostic> line_description;
  std::vector<text_diagnostic> train_service;
};

// Compiles a line description with one service text, or alone (then only
// its own diagnostics, up to the end of its reading).
pair_diagnostics diagnose(const named_text& line_description,
                          const std::optional<named_text>& train_service);

// The range of the field at a (1-based) line and column of `text`.
text_range field_range(std::string_view text, std::optional<int32_t> line,
                       std::optional<int32_t> column);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_PAIR_DIAGNOSTICS_H_
