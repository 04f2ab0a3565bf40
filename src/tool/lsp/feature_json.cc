#include "tool/lsp/feature_json.h"

#include <algorithm>
#include <cstdint>

#include "tool/report/text_encoding.h"

namespace scenario::tool::lsp {
namespace {

// SymbolKind and CompletionItemKind numbers of the protocol.
int symbol_kind(document_symbol::kind k) {
  switch (k) {
    case document_symbol::kind::section:
      return 3;  // Namespace
    case document_symbol::kind::station:
      return 19;  // Object
    case document_symbol::kind::signal:
      return 24;  // Event
    case document_symbol::kind::slowdown:
      return 14;  // Constant
    case document_symbol::kind::tunnel:
      return 23;  // Struct
    case document_symbol::kind::entry:
      return 8;  // Field
  }
  return 8;
}

constexpr int kCompletionModule = 9;
constexpr int kCompletionKeyword = 14;
constexpr int kSnippetFormat = 2;
constexpr int kInlayHintParameter = 2;

json markdown(const std::string& text) { return {{"kind", "markdown"}, {"value", text}}; }

int32_t int_of(const json& j, const char* key) {
  const json& v = j.at(key);
  if (!v.is_number_integer())
    throw json::type_error::create(302, std::string(key) + " is not an integer", &j);
  const auto n = v.get<int64_t>();
  return static_cast<int32_t>(std::clamp<int64_t>(n, 0, INT32_MAX));
}

}  // namespace

json position_json(const text_frame& frame, text_place place) {
  const editor_position p = frame.text.position_of(place, frame.encoding);
  return {{"line", p.line}, {"character", p.character}};
}

json range_json(const text_frame& frame, const text_range& range) {
  return {{"start", position_json(frame, range.start)}, {"end", position_json(frame, range.end)}};
}

text_range range_of(const text_frame& frame, const json& range) {
  auto place = [&](const json& p) {
    return frame.text.place_of({int_of(p, "line"), int_of(p, "character")}, frame.encoding);
  };
  return {place(range.at("start")), place(range.at("end"))};
}

json hover_json(const text_frame& frame, const std::optional<hover_info>& hover,
                const std::string& extra, const text_range& extra_range) {
  if (!hover && extra.empty()) return nullptr;
  std::string text = hover ? hover->markdown : std::string();
  if (!extra.empty()) text += (text.empty() ? "" : "\n\n---\n\n") + extra;
  return {{"contents", markdown(text)},
          {"range", range_json(frame, hover ? hover->range : extra_range)}};
}

json completion_json(const std::vector<completion_item>& items) {
  json list = json::array();
  for (const completion_item& item : items) {
    json j = {{"label", item.label},
              {"kind", item.what == completion_item::kind::section ? kCompletionModule
                                                                   : kCompletionKeyword}};
    if (!item.detail.empty()) j["detail"] = item.detail;
    if (!item.documentation.empty()) j["documentation"] = markdown(item.documentation);
    if (!item.snippet.empty()) {
      j["insertText"] = item.snippet;
      j["insertTextFormat"] = kSnippetFormat;
    }
    list.push_back(std::move(j));
  }
  return {{"isIncomplete", false}, {"items", list}};
}

json signature_help_json(const std::optional<signature_info>& signature) {
  if (!signature) return nullptr;
  json parameters = json::array();
  for (const std::string& p : signature->parameters) parameters.push_back({{"label", p}});
  json s = {{"label", signature->label}, {"parameters", parameters}};
  if (!signature->documentation.empty()) s["documentation"] = markdown(signature->documentation);
  return {{"signatures", json::array({s})},
          {"activeSignature", 0},
          {"activeParameter", signature->active_parameter}};
}

json document_symbols_json(const text_frame& frame, const std::vector<document_symbol>& symbols) {
  json list = json::array();
  for (const document_symbol& s : symbols) {
    // Names come from the texts: Windows-1252 unless they are UTF-8 already.
    json j = {{"name", s.name.empty() ? std::string("?") : identifier_text(s.name)},
              {"kind", symbol_kind(s.what)},
              {"range", range_json(frame, s.range)},
              {"selectionRange", range_json(frame, s.selection)},
              {"children", document_symbols_json(frame, s.children)}};
    if (!s.detail.empty()) j["detail"] = identifier_text(s.detail);
    list.push_back(std::move(j));
  }
  return list;
}

json folding_ranges_json(const std::vector<folding_range>& ranges) {
  json list = json::array();
  for (const folding_range& r : ranges)
    if (r.end_line > r.start_line)
      list.push_back({{"startLine", r.start_line}, {"endLine", r.end_line}, {"kind", "region"}});
  return list;
}

json text_edits_json(const text_frame& frame, const std::vector<text_edit>& edits) {
  json list = json::array();
  for (const text_edit& e : edits)
    list.push_back({{"range", range_json(frame, e.range)}, {"newText", to_utf8(e.new_text)}});
  return list;
}

json code_actions_json(const text_frame& frame, const std::string& uri,
                       const std::vector<code_action>& actions, const json& diagnostic) {
  json list = json::array();
  for (const code_action& a : actions) {
    json changes = json::object();
    changes[uri] = text_edits_json(frame, a.edits);
    list.push_back({{"title", a.title},
                    {"kind", "quickfix"},
                    {"diagnostics", json::array({diagnostic})},
                    {"isPreferred", a.preferred},
                    {"edit", {{"changes", changes}}}});
  }
  return list;
}

json inlay_hints_json(const text_frame& frame, const std::vector<inlay_hint>& hints) {
  json list = json::array();
  for (const inlay_hint& h : hints)
    list.push_back({{"position", position_json(frame, h.at)},
                    {"label", identifier_text(h.label)},
                    {"kind", kInlayHintParameter},
                    {"paddingRight", true}});
  return list;
}

diagnostic_ref diagnostic_ref_of(const text_frame& frame, const json& diagnostic) {
  diagnostic_ref d;
  if (const auto code = diagnostic.find("code"); code != diagnostic.end())
    d.id = code->is_string() ? code->get<std::string>() : code->dump();
  d.range = range_of(frame, diagnostic.at("range"));
  if (const auto message = diagnostic.find("message");
      message != diagnostic.end() && message->is_string())
    d.message = message->get<std::string>();
  return d;
}

}  // namespace scenario::tool::lsp
