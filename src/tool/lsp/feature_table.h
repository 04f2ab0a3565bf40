// The editor features the server answers with, as a table of functions:
// the server asks the table, so that it can be run with the features of
// the library (library_features) or with any other set, and a slot left
// empty answers "nothing here".
#ifndef SCENARIO_TOOL_LSP_FEATURE_TABLE_H_
#define SCENARIO_TOOL_LSP_FEATURE_TABLE_H_

#include <functional>

#include "tool/lsp/features.h"

namespace scenario::tool::lsp {

struct feature_table {
  std::function<std::optional<hover_info>(const text_pair&, text_kind, text_place)> hover;
  std::function<std::vector<completion_item>(const text_pair&, text_kind, text_place)> completion;
  std::function<std::optional<signature_info>(const text_pair&, text_kind, text_place)>
      signature_help;
  std::function<std::vector<document_symbol>(std::string_view, text_kind)> document_symbols;
  std::function<std::vector<folding_range>(std::string_view)> folding_ranges;
  std::function<std::vector<text_edit>(std::string_view, text_kind, std::optional<text_range>)>
      format;
  std::function<std::vector<code_action>(const text_pair&, text_kind, const diagnostic_ref&)>
      code_actions;
  std::function<std::vector<inlay_hint>(std::string_view, text_kind, text_range)> inlay_hints;
};

// The functions of features.h.
feature_table library_features();

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_FEATURE_TABLE_H_
