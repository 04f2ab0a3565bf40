// The answers of the editor features in the protocol's JSON (LSP 3.17):
// places turned into the editor's positions, Windows-1252 text into UTF-8.
#ifndef SCENARIO_TOOL_LSP_FEATURE_JSON_H_
#define SCENARIO_TOOL_LSP_FEATURE_JSON_H_

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "tool/lsp/document_text.h"
#include "tool/lsp/features.h"

namespace scenario::tool::lsp {

using nlohmann::json;

// Where a text stands, for the editor.
struct text_frame {
  const document_text& text;
  position_encoding encoding;
};

json position_json(const text_frame& frame, text_place place);
json range_json(const text_frame& frame, const text_range& range);
// A range the editor gave, as places in the text (clamped into it).
text_range range_of(const text_frame& frame, const json& range);

// `extra`: more markdown after the feature's own (the explanation of a
// warning at the place); a hover of only `extra` when the feature has none.
json hover_json(const text_frame& frame, const std::optional<hover_info>& hover,
                const std::string& extra, const text_range& extra_range);
json completion_json(const std::vector<completion_item>& items);
json signature_help_json(const std::optional<signature_info>& signature);
json document_symbols_json(const text_frame& frame, const std::vector<document_symbol>& symbols);
json folding_ranges_json(const std::vector<folding_range>& ranges);
json text_edits_json(const text_frame& frame, const std::vector<text_edit>& edits);
// Quick fixes of one diagnostic (`diagnostic` as the editor sent it).
json code_actions_json(const text_frame& frame, const std::string& uri,
                       const std::vector<code_action>& actions, const json& diagnostic);
json inlay_hints_json(const text_frame& frame, const std::vector<inlay_hint>& hints);

// A diagnostic of the request's context as the features take it.
diagnostic_ref diagnostic_ref_of(const text_frame& frame, const json& diagnostic);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_FEATURE_JSON_H_
